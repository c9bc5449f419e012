// The interface every MCI device driver implements. The command layer (mci.cpp) owns the
// device table, MCI_OPEN, notifications and the checks common to all devices; a driver
// opens its element and carries out the other commands. Tests register fake drivers
// (a CD audio drive with tracks, say) through RegisterDriver.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/mci.h"
#include "private.h"

namespace platform::mci {

struct OpenRequest {
  MCIDEVICEID id = 0;
  std::string element;   // as the caller gave it (a Windows or host path)
  std::string hostPath;  // the element on the host, empty without an element
  std::string alias;
  bool shareable = false;
  DWORD_PTR flags = 0;
  const void* parms = nullptr;  // the caller's MCI_OPEN_PARMSA (or a larger block)
};

// What a command may do beyond returning its result.
class CommandContext {
 public:
  virtual ~CommandContext() = default;
  // For a command that ends later (play): returns the action that posts
  // MCI_NOTIFY_SUCCESSFUL when run, or an empty function when the caller asked no
  // notification. Without this call a successful notifying command is announced at once.
  virtual std::function<void()> DeferNotification() = 0;
  // Aborts the pending notification of an earlier command (stop, pause, seek).
  virtual void AbortPending() = 0;
};

class Device {
 public:
  virtual ~Device() = default;
  // Every command except MCI_OPEN and MCI_CLOSE. `parms` is the caller's block (may be
  // null). Returns 0 or an MCIERR_ code.
  virtual MCIERROR Command(UINT message, DWORD_PTR flags, void* parms, CommandContext& context) = 0;
  // Called by MCI_CLOSE before the device is destroyed; sounds stop here. A device that
  // cannot close answers an MCIERR_ code and stays open.
  virtual MCIERROR Close() { return 0; }
};

class Driver {
 public:
  virtual ~Driver() = default;
  virtual std::string TypeName() const = 0;                           // lower case: "sequencer"
  virtual UINT DeviceType() const = 0;                                // MCI_DEVTYPE_
  virtual std::vector<std::string> Extensions() const { return {}; }  // lower case, no dot
  // True when the driver recognises the content (used when the extension says nothing).
  virtual bool Recognises(const std::vector<unsigned char>& /*head*/) const { return false; }
  virtual MCIERROR Open(const OpenRequest& request, std::unique_ptr<Device>& device) = 0;
};

// Registers a driver; one of the same type name is replaced.
void RegisterDriver(std::shared_ptr<Driver> driver);
// Removes a registered driver by type name and restores the built-in one, if any.
void UnregisterDriver(const std::string& typeName);

// The open devices in the order of their ids: type name and element as opened.
struct OpenDeviceSummary {
  MCIDEVICEID id;
  std::string type;
  std::string element;
};
std::vector<OpenDeviceSummary> OpenDevices();

// Voices the device's synthesizer sounded in its latest render (0 for other devices).
// Tests use it to prove that nothing is left sounding.
int SoundingVoices(MCIDEVICEID id);
// The ids of the open devices, in ascending order.
std::vector<MCIDEVICEID> OpenDeviceIds();

// Shared helpers for drivers.
// The host path of an element given as a Windows name (through the drive table) or a
// host path; MCIERR_FILE_NOT_FOUND or MCIERR_DEVICE_NOT_READY when it has none.
MCIERROR HostPathOf(const std::string& element, std::string& hostPath);
MCIERROR CopyInfo(const std::string& text, void* parms);

}  // namespace platform::mci
