#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zirvanta {

// The variables of the process environment that decide the window-system platform. A variable
// that is unset or empty is an empty view.
struct SessionEnvironment {
  std::string_view qtPlatform;      // QT_QPA_PLATFORM: the user's own choice
  std::string_view sessionType;     // XDG_SESSION_TYPE
  std::string_view waylandDisplay;  // WAYLAND_DISPLAY
  std::string_view x11Display;      // DISPLAY

  static SessionEnvironment OfProcess();
};

// The platform to ask Qt for, in QT_QPA_PLATFORM's syntax, or none to leave Qt's own choice.
// The program places its windows itself, which only an X server allows, so a Wayland session
// with an X server (Xwayland) runs on X11, falling back to Wayland if that server cannot be
// reached; a Wayland session without one runs on Wayland. An X session, no session, or a
// platform the user chose is left alone.
std::optional<std::string> PlatformToAskFor(const SessionEnvironment& environment);

// Sets QT_QPA_PLATFORM for this process to PlatformToAskFor(OfProcess()), if any; called
// before the application object exists. Returns the platform asked for.
std::optional<std::string> AskForPlatform();

}  // namespace zirvanta
