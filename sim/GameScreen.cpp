// Text, rectangles and frontend sounds: what the plug-in shows and plays this frame.
#include "Game.h"

namespace sim {

void Game::DefineScreenNatives() {
  Define(native::SetTextFont, "set text font", [this](Invocation& call) { textStyle_.font = call.Int(0); });
  Define(native::SetTextScale, "set text scale", [this](Invocation& call) {
    textStyle_.scaleX = call.Float(0);
    textStyle_.scaleY = call.Float(1);
  });
  Define(native::SetTextColour, "set text colour", [this](Invocation& call) {
    textStyle_.colour = {call.Int(0), call.Int(1), call.Int(2), call.Int(3)};
  });
  Define(native::SetTextOutline, "set text outline", [this](Invocation&) { textStyle_.outline = true; });
  Define(native::SetTextCentre, "set text centre",
         [this](Invocation& call) { textStyle_.centred = call.Bool(0); });
  Define(native::BeginTextCommand, "begin text command", [this](Invocation& call) {
    if (std::string(call.Text(0)) != "STRING")
      faults.push_back("text command with a format other than STRING");
    if (textOpen_) faults.push_back("text command begun twice");
    textOpen_ = true;
    textBegunThisFrame_ = true;
    textBody_.clear();
  });
  Define(native::AddText, "add text", [this](Invocation& call) {
    if (textOpen_) {
      textBody_ += call.Text(0);
    } else if (notificationOpen_) {
      notificationBody_ += call.Text(0);
    } else {
      faults.push_back("text added outside a text command or notification");
    }
  });
  Define(native::DrawText, "draw text", [this](Invocation& call) {
    if (!textOpen_) faults.push_back("text drawn without a text command");
    texts.push_back({textBody_, textStyle_, call.Float(0), call.Float(1), drawCount++});
    // The host's text style lasts for one text command only.
    textStyle_ = {};
    textOpen_ = false;
  });
  Define(native::BeginNotification, "begin notification", [this](Invocation& call) {
    if (std::string(call.Text(0)) != "STRING")
      faults.push_back("notification with a format other than STRING");
    notificationOpen_ = true;
    notificationBegunThisFrame_ = true;
    notificationBody_.clear();
  });
  Define(native::PostNotification, "post notification", [this](Invocation& call) {
    if (!notificationOpen_) faults.push_back("notification posted without being begun");
    notifications.push_back(notificationBody_);
    notificationOpen_ = false;
    call.Return(static_cast<std::int32_t>(notifications.size()));
  });
  Define(native::DrawRectangle, "draw rectangle", [this](Invocation& call) {
    rects.push_back({call.Float(0),
                     call.Float(1),
                     call.Float(2),
                     call.Float(3),
                     {call.Int(4), call.Int(5), call.Int(6), call.Int(7)},
                     drawCount++});
  });
  Define(native::PlayFrontendSound, "play frontend sound", [this](Invocation& call) {
    if (call.Int(0) != -1) faults.push_back("frontend sound with a sound id other than -1");
    frontendSounds.push_back({call.Text(1), call.Text(2)});
  });
}

}  // namespace sim
