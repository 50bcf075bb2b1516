#pragma once

#include <string>

// Waits at least `ms` milliseconds while the window thread keeps handling its
// events. It blocks in the event loop between events instead of polling, so a
// long wait costs no CPU. Events are handled at least once, even for ms <= 0.
void Delay(int ms);

// Takes the text before the first `delimiter` off the front of `text` into
// `token`, dropping the delimiter too. Without a delimiter the whole text
// becomes the token and `text` becomes empty.
void ExtractToken(std::string& text, char delimiter, std::string& token);

// Takes the next field off the front of `text` as ExtractToken does and
// converts it to an integer. Raises EConvertError ("'<field>' is not a valid
// integer value") for a field that is empty or no integer.
int NextNumber(std::string& text, char delimiter = ',');
