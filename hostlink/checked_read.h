// The one check of a read of a player property.
//
// A read of the player's properties hands back a status. When that status is a failure the user
// is told which call failed and why, and decides what happens next:
//
//   - a message box with an error icon and the buttons OK and Cancel shows the call text (for
//     example "this->get_Handle((long*)&Value)"), a line feed, and the system's description of
//     the status, or the status as "0x" and eight capital hex digits when the system has none;
//   - OK continues: CheckRead returns and the read goes on with the value as the player left it;
//   - Cancel (or closing the box) stops: CheckRead raises EOleError whose message is the same
//     text as the box, for the caller's caller to report (Bind) or to act on (GetPosition).
//
// A successful status returns at once without any box.
#pragma once

#include <string>

#include "platform/Abi.h"

namespace hostlink {

// Raises EOleError (hostlink/orvo.h) when the user chooses to stop.
void CheckRead(platform::HResult Status, const char* CallText);

// The text of the report: the call text, a line feed, the description of the status.
std::string ReadFailureText(platform::HResult Status, const char* CallText);

// The answer to an automation error that reached the top of an operation (Bind, a message):
// a beep (MB_ICONEXCLAMATION) and an error box with the error's message and an OK button.
void ReportError(const std::string& Message);

}  // namespace hostlink
