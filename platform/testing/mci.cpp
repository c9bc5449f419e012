// Fake MCI drivers and the device census for the tests of the layers above the platform.
#include <algorithm>

#include "mci/driver.h"
#include "platform/testing.h"

namespace platform::testing {
namespace {

class FakeDevice : public mci::Device {
 public:
  explicit FakeDevice(std::unique_ptr<FakeMciDevice> fake) : fake_(std::move(fake)) {}
  MCIERROR Command(UINT message, DWORD_PTR flags, void* parms, mci::CommandContext&) override {
    return fake_->Command(message, flags, parms);
  }
  MCIERROR Close() override { return fake_->Close(); }

 private:
  std::unique_ptr<FakeMciDevice> fake_;
};

class FakeDriver : public mci::Driver {
 public:
  FakeDriver(std::string typeName, UINT deviceType, FakeMciOpener open)
      : typeName_(std::move(typeName)), deviceType_(deviceType), open_(std::move(open)) {}
  std::string TypeName() const override { return typeName_; }
  UINT DeviceType() const override { return deviceType_; }
  MCIERROR Open(const mci::OpenRequest& request, std::unique_ptr<mci::Device>& device) override {
    std::unique_ptr<FakeMciDevice> fake;
    MCIERROR result = open_ ? open_(request.element, fake) : MCIERR_DEVICE_NOT_INSTALLED;
    if (result != 0) return result;
    if (!fake) return MCIERR_DRIVER_INTERNAL;
    device = std::make_unique<FakeDevice>(std::move(fake));
    return 0;
  }

 private:
  std::string typeName_;
  UINT deviceType_;
  FakeMciOpener open_;
};

// Driver type names are kept in lower case.
std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

}  // namespace

void RegisterFakeMciDriver(const std::string& typeName, UINT deviceType, FakeMciOpener open) {
  mci::RegisterDriver(std::make_shared<FakeDriver>(Lower(typeName), deviceType, std::move(open)));
}

void UnregisterFakeMciDriver(const std::string& typeName) {
  mci::UnregisterDriver(Lower(typeName));
}

int OpenMciDevices() { return static_cast<int>(mci::OpenDeviceIds().size()); }

int SoundingVoices() {
  int voices = 0;
  for (MCIDEVICEID id : mci::OpenDeviceIds()) voices += mci::SoundingVoices(id);
  return voices;
}

}  // namespace platform::testing
