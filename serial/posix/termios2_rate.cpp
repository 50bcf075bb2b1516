#include "serial/posix/termios2_rate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {
struct TRateCode {
  uint32_t Rate;
  unsigned Code;
};
constexpr TRateCode kClassic[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};
}  // namespace

bool SetLineRate(int fd, uint32_t rate) {
  termios2 t{};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  unsigned code = BOTHER;
  for (const auto& c : kClassic)
    if (c.Rate == rate) code = c.Code;
  t.c_cflag &= ~(CBAUD | CIBAUD);  // input rate follows the output rate
  t.c_cflag |= code;
  t.c_ispeed = rate;
  t.c_ospeed = rate;
  return ioctl(fd, TCSETS2, &t) == 0;
}

bool GetLineRate(int fd, uint32_t& rate) {
  termios2 t{};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  rate = t.c_ospeed;
  return true;
}
