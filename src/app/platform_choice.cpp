#include "app/platform_choice.h"

#include <cstdlib>

namespace zirvanta {
namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

SessionEnvironment SessionEnvironment::OfProcess() {
  return {Variable("QT_QPA_PLATFORM"), Variable("XDG_SESSION_TYPE"), Variable("WAYLAND_DISPLAY"),
          Variable("DISPLAY")};
}

std::optional<std::string> PlatformToAskFor(const SessionEnvironment& environment) {
  if (!environment.qtPlatform.empty()) return std::nullopt;
  // A compositor may be found through its default socket without WAYLAND_DISPLAY.
  const bool waylandSession =
      !environment.waylandDisplay.empty() || environment.sessionType == "wayland";
  if (!waylandSession) return std::nullopt;
  // DISPLAY may name a server that is gone; Qt then goes on to the next platform of the list.
  if (!environment.x11Display.empty()) return "xcb;wayland";
  return "wayland";
}

std::optional<std::string> AskForPlatform() {
  std::optional<std::string> platform = PlatformToAskFor(SessionEnvironment::OfProcess());
  // Only this process and the programs it starts see the variable.
  if (platform) ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
  return platform;
}

}  // namespace zirvanta
