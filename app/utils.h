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
