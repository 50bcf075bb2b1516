#pragma once

// Line rates through the kernel's termios2, kept apart because
// <asm/termbits.h> clashes with glibc's <termios.h>.

#include <cstdint>

// Sets input and output rate: a classic B-constant where one exists,
// BOTHER otherwise. False with errno set on failure.
bool SetLineRate(int fd, uint32_t rate);
// The output rate in bits per second. False with errno set on failure.
bool GetLineRate(int fd, uint32_t& rate);
