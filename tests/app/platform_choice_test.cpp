#include "app/platform_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace zirvanta {
namespace {

struct Case {
  const char* what;
  SessionEnvironment environment;  // QT_QPA_PLATFORM, XDG_SESSION_TYPE, WAYLAND_DISPLAY, DISPLAY
  std::optional<std::string> platform;
};

const Case kCases[] = {
    {"Wayland with Xwayland runs on X11, or on Wayland if X cannot be reached",
     {"", "wayland", "wayland-0", ":0"}, "xcb;wayland"},
    {"Wayland without an X server", {"", "wayland", "wayland-0", ""}, "wayland"},
    {"X only", {"", "x11", "", ":0"}, std::nullopt},
    {"the user's own choice of Wayland", {"wayland", "wayland", "wayland-0", ":0"}, std::nullopt},
    {"the user's own choice of X11 without a Wayland session", {"xcb", "", "", ":1"},
     std::nullopt},
    // Sessions that say only half of it.
    {"a compositor's socket without a session type, with X", {"", "", "wayland-1", ":1"},
     "xcb;wayland"},
    {"a compositor's socket without a session type or X", {"", "", "wayland-1", ""}, "wayland"},
    {"a Wayland session type found through the default socket", {"", "wayland", "", ""},
     "wayland"},
    {"a text console with nothing to show on", {"", "tty", "", ""}, std::nullopt},
};

TEST(PlatformToAskFor, Cases) {
  for (const Case& c : kCases) {
    EXPECT_EQ(PlatformToAskFor(c.environment), c.platform) << c.what;
  }
}

// Sets or unsets the variables for one test and puts back what was there.
class ProcessEnvironment : public testing::Test {
 protected:
  static constexpr const char* kNames[] = {"QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
                                           "WAYLAND_DISPLAY", "DISPLAY"};
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      const char* value = std::getenv(kNames[i]);
      saved_[i] = value ? std::optional<std::string>(value) : std::nullopt;
    }
  }
  void TearDown() override {
    for (int i = 0; i < 4; ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) {
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  static std::optional<std::string> QtPlatform() {
    const char* value = std::getenv("QT_QPA_PLATFORM");
    return value ? std::optional<std::string>(value) : std::nullopt;
  }

 private:
  std::optional<std::string> saved_[4];
};

TEST_F(ProcessEnvironment, AskingSetsThePlatformOnlyWhereTheUserChoseNone) {
  Set("XDG_SESSION_TYPE", "wayland");
  Set("WAYLAND_DISPLAY", "wayland-0");
  Set("DISPLAY", ":0");
  Set("QT_QPA_PLATFORM", nullptr);
  EXPECT_EQ(AskForPlatform(), "xcb;wayland");
  EXPECT_EQ(QtPlatform(), "xcb;wayland");

  Set("QT_QPA_PLATFORM", "wayland");
  EXPECT_EQ(AskForPlatform(), std::nullopt);
  EXPECT_EQ(QtPlatform(), "wayland");

  Set("XDG_SESSION_TYPE", "x11");
  Set("WAYLAND_DISPLAY", nullptr);
  Set("QT_QPA_PLATFORM", nullptr);
  EXPECT_EQ(AskForPlatform(), std::nullopt);
  EXPECT_EQ(QtPlatform(), std::nullopt);
}

}  // namespace
}  // namespace zirvanta
