#include "app/platform_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace zirvanta {
namespace {

using Platform = std::optional<std::string>;

TEST(PlatformToAskFor, Cases) {
  const struct {
    const char* what;
    SessionEnvironment environment;  // QT_QPA_PLATFORM, XDG_SESSION_TYPE, WAYLAND_DISPLAY, DISPLAY
    Platform platform;
  } cases[] = {
      {"Wayland with Xwayland: X11, else Wayland", {"", "wayland", "wayland-0", ":0"},
       "xcb;wayland"},
      {"Wayland without an X server", {"", "wayland", "wayland-0", ""}, "wayland"},
      {"X only", {"", "x11", "", ":0"}, std::nullopt},
      {"the user's own choice", {"wayland", "wayland", "wayland-0", ":0"}, std::nullopt},
      {"a compositor's socket, no session type", {"", "", "wayland-1", ":1"}, "xcb;wayland"},
      {"a Wayland session type, default socket", {"", "wayland", "", ""}, "wayland"},
  };
  for (const auto& c : cases) EXPECT_EQ(PlatformToAskFor(c.environment), c.platform) << c.what;
}

TEST(AskForPlatform, SetsThePlatformOnlyWhereTheUserChoseNone) {
  const char* const names[] = {"QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "WAYLAND_DISPLAY",
                               "DISPLAY"};
  const auto set = [&](int i, const char* value) {
    value ? ::setenv(names[i], value, 1) : ::unsetenv(names[i]);
  };
  const auto get = [&](int i) {
    const char* value = std::getenv(names[i]);
    return value ? Platform(value) : std::nullopt;
  };
  Platform saved[4];
  for (int i = 0; i < 4; ++i) saved[i] = get(i);
  const struct {
    const char* values[4];
    Platform asked, platform;
  } cases[] = {{{nullptr, "wayland", "wayland-0", ":0"}, "xcb;wayland", "xcb;wayland"},
               {{"wayland", "wayland", "wayland-0", ":0"}, std::nullopt, "wayland"},
               {{nullptr, "x11", nullptr, ":0"}, std::nullopt, std::nullopt}};
  for (const auto& c : cases) {
    for (int i = 0; i < 4; ++i) set(i, c.values[i]);
    EXPECT_EQ(AskForPlatform(), c.asked);
    EXPECT_EQ(get(0), c.platform);
  }
  for (int i = 0; i < 4; ++i) set(i, saved[i] ? saved[i]->c_str() : nullptr);
}

}  // namespace
}  // namespace zirvanta
