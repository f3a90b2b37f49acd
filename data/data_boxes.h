// The message boxes the data layer shows, in one place.
#pragma once
#include <string>

namespace databox {

// The program's error box (caption "Z5MessageBox"); the text is shown as is.
void Error(const std::string& text);
// A box with Retry and Cancel; true when the user chose Retry.
bool RetryCancel(const std::string& text, const std::string& caption);
// A box with an OK button.
void Ok(const std::string& text, const std::string& caption);

}  // namespace databox
