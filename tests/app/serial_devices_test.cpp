#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/serial_devices.h"

namespace {

namespace fs = std::filesystem;

// A /dev and a /sys of a machine in a temporary folder.
class SerialDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    dev_ = dir_.filePath("dev").toStdString();
    sys_ = dir_.filePath("sys").toStdString();
    fs::create_directories(dev_);
    fs::create_directories(sys_);
  }
  void Node(const std::string& name) { std::ofstream(dev_ + "/" + name) << ""; }
  // The kernel's view of a ttyS port: the UART's device, and its type.
  void Port(const std::string& name, bool device, const char* type) {
    const fs::path tty = fs::path(sys_) / "class" / "tty" / name;
    fs::create_directories(tty);
    if (device) fs::create_directories(tty / "device");
    if (type) std::ofstream(tty / "type") << type << "\n";
  }
  std::string Dev(const std::string& name) const { return dev_ + "/" + name; }

  QTemporaryDir dir_;
  std::string dev_, sys_;
};

TEST_F(SerialDevices, StableNamesThenAdaptersThenTheUartsTheKernelFound) {
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyS3",
                           "tty0", "tty1", "ttyprintk", "ttyUSB", "ttyUSBx", "null", "ttySA0"})
    Node(name);
  fs::create_directories(dev_ + "/serial/by-id");
  fs::create_symlink("../../ttyUSB2", dev_ + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  fs::create_symlink("../../ttyACM0", dev_ + "/serial/by-id/usb-Orvix_Modem_0001-if00");
  fs::create_symlink("../../ttyUSB7", dev_ + "/serial/by-id/usb-Unplugged-if00-port0");  // dangling
  Port("ttyS0", true, "4");    // a 16550A
  Port("ttyS1", true, "0");    // no UART at that address
  Port("ttyS2", false, "4");   // no device behind it
  Port("ttyS3", true, nullptr);
  Port("ttyS10", true, "4");

  EXPECT_EQ(ListSerialDevices(dev_, sys_),
            (std::vector<std::string>{Dev("serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"),
                                      Dev("serial/by-id/usb-Orvix_Modem_0001-if00"), Dev("ttyUSB0"), Dev("ttyUSB2"),
                                      Dev("ttyUSB10"), Dev("ttyACM0"), Dev("ttyS0"), Dev("ttyS10")}));
}

TEST_F(SerialDevices, NothingPresent) {
  Node("ttyS0");  // the node alone says nothing: no /sys entry
  EXPECT_EQ(ListSerialDevices(dev_, sys_), std::vector<std::string>{});
  EXPECT_EQ(ListSerialDevices(dev_ + "/missing", sys_ + "/missing"), std::vector<std::string>{});
}

}  // namespace
