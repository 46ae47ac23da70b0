// Controllers plugged into the running game reach the same key poll as the keyboard: the command each
// control gives, the table's order when several are held, once-per-press, and plugging in and out.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/keys.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/commands.h"

namespace talvessa {
namespace {

// One virtual controller, plugged in for the life of the object unless unplugged sooner.
class VirtualPad {
 public:
  VirtualPad() {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_MAX, 0);
    joystick_ = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  bool plugged() const { return joystick_ != nullptr; }
  void Button(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }
  void StickX(int x) {
    SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
  }
  void Unplug() {
    if (joystick_ == nullptr) return;
    // Device indices shift as others are unplugged; the instance id stays.
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
    }
  }

 private:
  SDL_Joystick* joystick_ = nullptr;  // our own handle, through which the virtual controls are set
};

class Controllers : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform_ = SdlPlatform::Open({}, error);
    ASSERT_NE(platform_, nullptr) << error;
    game_ = std::make_unique<Game>(platform_->Services());
    // The controllers start once the first two pictures are shown.
    for (int picture = 0; picture < 2; ++picture) platform_->Services().screen.Present(WindowPicture{});
    // The window must have the keyboard before SDL hands it controller input.
    for (int i = 0; i < 200 && SDL_GetKeyboardFocus() == nullptr; ++i) Settle();
    ASSERT_NE(SDL_GetKeyboardFocus(), nullptr) << "the window never got the keyboard";
  }
  void TearDown() override {
    game_.reset();
    platform_.reset();
  }

  // Lets the events of a change reach the platform, as the game's frames pump them.
  void Settle() {
    for (int i = 0; i < 3; ++i) {
      platform_->Services().input.PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // One key poll as a frame makes it; the command it gave, which the frame's handling then consumes.
  std::int16_t Poll() {
    Settle();
    PollKeys(*game_);
    const std::int16_t given = game_->run.Command;
    game_->run.Command = command::None;
    return given;
  }

  std::unique_ptr<SdlPlatform> platform_;
  std::unique_ptr<Game> game_;
};

TEST_F(Controllers, EachControlGivesItsCommand) {
  VirtualPad pad;
  ASSERT_TRUE(pad.plugged()) << SDL_GetError();
  EXPECT_EQ(Poll(), command::None);
  const struct {
    SDL_GameControllerButton button;
    std::int16_t command;
  } controls[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, command::StepLeft},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, command::StepRight},
      {SDL_CONTROLLER_BUTTON_A, command::Throw},
      {SDL_CONTROLLER_BUTTON_B, command::Van},
      {SDL_CONTROLLER_BUTTON_X, command::Van},
      {SDL_CONTROLLER_BUTTON_START, command::Pause},
      {SDL_CONTROLLER_BUTTON_Y, command::None},
      {SDL_CONTROLLER_BUTTON_BACK, command::None},
      {SDL_CONTROLLER_BUTTON_GUIDE, command::None},
  };
  for (const auto& control : controls) {
    SCOPED_TRACE(SDL_GameControllerGetStringForButton(control.button));
    pad.Button(control.button, true);
    EXPECT_EQ(Poll(), control.command);
    pad.Button(control.button, false);
    EXPECT_EQ(Poll(), command::None);
  }
  pad.StickX(-30000);
  EXPECT_EQ(Poll(), command::StepLeft);
  pad.StickX(30000);
  EXPECT_EQ(Poll(), command::StepRight);
  pad.StickX(8000);  // a stick barely off its centre
  EXPECT_EQ(Poll(), command::None);
  // No control quits.
  EXPECT_FALSE(platform_->Services().input.KeyDown(vk::Escape));
}

TEST_F(Controllers, HeldStepsRepeatButThrowsAndPausesActOncePerPress) {
  VirtualPad pad;
  ASSERT_TRUE(pad.plugged()) << SDL_GetError();
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_EQ(Poll(), command::StepLeft);
  EXPECT_EQ(Poll(), command::StepLeft);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(Poll(), command::Throw);
  EXPECT_EQ(Poll(), command::None);
  EXPECT_EQ(Poll(), command::None);
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(Poll(), command::None);
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(Poll(), command::Throw);
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  EXPECT_EQ(Poll(), command::Pause);
  EXPECT_EQ(Poll(), command::None);
}

TEST_F(Controllers, SeveralHeldFollowTheKeyTableOrder) {
  VirtualPad pad;
  ASSERT_TRUE(pad.plugged()) << SDL_GetError();
  // Pause comes before everything, steps before throws, throws before the van.
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  pad.Button(SDL_CONTROLLER_BUTTON_B, true);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  EXPECT_EQ(Poll(), command::Pause);
  pad.Button(SDL_CONTROLLER_BUTTON_START, false);
  EXPECT_EQ(Poll(), command::StepLeft);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  EXPECT_EQ(Poll(), command::Throw);
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(Poll(), command::Van);
}

TEST_F(Controllers, PlugInAndOutAtAnyTime) {
  {
    VirtualPad first;
    VirtualPad second;
    ASSERT_TRUE(first.plugged() && second.plugged()) << SDL_GetError();
    second.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(Poll(), command::StepRight);
    // Pulled out while held: the step ends with it.
    second.Unplug();
    EXPECT_EQ(Poll(), command::None);
    first.Button(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(Poll(), command::Van);
  }
  EXPECT_EQ(Poll(), command::None);
  VirtualPad again;
  ASSERT_TRUE(again.plugged()) << SDL_GetError();
  again.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(Poll(), command::Throw);
}

}  // namespace
}  // namespace talvessa
