// The MCI command layer: the device table, MCI_OPEN with device choice, MCI_CLOSE, the
// checks every command shares and the notifications of commands that end at once.
// GUI thread only; a play's notification may come from the audio side (notify.h).
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include "mci/driver.h"
#include "mci/drivers.h"
#include "mci/notify.h"
#include "mci/stream_device.h"
#include "platform/kernel.h"

namespace platform::mci {
namespace {

struct OpenDevice {
  std::unique_ptr<Device> device;
  std::shared_ptr<NotifySlot> slot;
  std::shared_ptr<Driver> driver;
  std::string alias;
  std::string element;
};

struct Registry {
  std::vector<std::shared_ptr<Driver>> drivers;
  std::map<MCIDEVICEID, OpenDevice> devices;
  MCIDEVICEID nextId = 1;
};

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::vector<std::shared_ptr<Driver>> BuiltIns() {
  return {MakeSequencerDriver(), MakeWaveAudioDriver(), MakeAviVideoDriver()};
}

Registry& State() {
  static auto* registry = [] {
    auto* r = new Registry();
    r->drivers = BuiltIns();
    return r;
  }();
  return *registry;
}

std::shared_ptr<Driver> FindByName(const std::string& name) {
  std::string wanted = Lower(name);
  for (auto& d : State().drivers)
    if (d->TypeName() == wanted) return d;
  return nullptr;
}

std::shared_ptr<Driver> FindByType(UINT type) {
  for (auto& d : State().drivers)
    if (d->DeviceType() == type) return d;
  return nullptr;
}

std::string ExtensionOf(const std::string& path) {
  auto slash = path.find_last_of("/\\");
  auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(path.substr(dot + 1));
}

std::vector<unsigned char> ReadHead(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::vector<unsigned char> head(16);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
  return head;
}

bool FileExists(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return in.good();
}

class Context : public CommandContext {
 public:
  Context(NotifySlot& slot, DWORD_PTR flags, HWND window)
      : slot_(slot), notify_(flags & MCI_NOTIFY), window_(window) {}
  std::function<void()> DeferNotification() override {
    deferred_ = true;
    // A new play replaces the running one: its notification is superseded when this one
    // asks to be told, else aborted.
    if (!notify_) {
      slot_.Resolve(MCI_NOTIFY_ABORTED);
      return nullptr;
    }
    return slot_.Arm(window_);
  }
  void AbortPending() override { slot_.Resolve(MCI_NOTIFY_ABORTED); }
  bool Deferred() const { return deferred_; }

 private:
  NotifySlot& slot_;
  bool notify_;
  HWND window_;
  bool deferred_ = false;
};

MCIERROR Open(DWORD_PTR flags, MCI_OPEN_PARMSA* parms) {
  if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
  Registry& state = State();
  OpenRequest request;
  request.flags = flags;
  request.parms = parms;
  request.shareable = flags & MCI_OPEN_SHAREABLE;
  std::shared_ptr<Driver> driver;
  if (flags & MCI_OPEN_TYPE_ID) {
    if (!(flags & MCI_OPEN_TYPE)) return MCIERR_MISSING_PARAMETER;
    driver = FindByType(LOWORD(reinterpret_cast<ULONG_PTR>(parms->lpstrDeviceType)));
    if (!driver) return MCIERR_INVALID_DEVICE_NAME;
  } else if (flags & MCI_OPEN_TYPE) {
    if (!parms->lpstrDeviceType || !*parms->lpstrDeviceType) return MCIERR_MISSING_DEVICE_NAME;
    driver = FindByName(parms->lpstrDeviceType);
    if (!driver) return MCIERR_INVALID_DEVICE_NAME;
  }
  if (flags & MCI_OPEN_ELEMENT) {
    if (!parms->lpstrElementName || !*parms->lpstrElementName) return MCIERR_FILENAME_REQUIRED;
    request.element = parms->lpstrElementName;
    if (MCIERROR result = HostPathOf(request.element, request.hostPath)) return result;
    if (!driver) {
      std::string ext = ExtensionOf(request.element);
      for (auto& d : state.drivers) {
        auto exts = d->Extensions();
        if (!ext.empty() && std::find(exts.begin(), exts.end(), ext) != exts.end()) driver = d;
      }
      if (!driver) {
        // An extension no device claims: let the content decide.
        if (!FileExists(request.hostPath)) return MCIERR_FILE_NOT_FOUND;
        auto head = ReadHead(request.hostPath);
        for (auto& d : state.drivers)
          if (!driver && d->Recognises(head)) driver = d;
        if (!driver) return MCIERR_EXTENSION_NOT_FOUND;
      }
    }
  }
  if (!driver) return MCIERR_MISSING_DEVICE_NAME;  // neither a type nor an element
  if (flags & MCI_OPEN_ALIAS) {
    if (!parms->lpstrAlias || !*parms->lpstrAlias) return MCIERR_MISSING_STRING_ARGUMENT;
    request.alias = Lower(parms->lpstrAlias);
    for (auto& [id, open] : state.devices)
      if (open.alias == request.alias) return MCIERR_DUPLICATE_ALIAS;
  }
  request.id = state.nextId;
  std::unique_ptr<Device> device;
  MCIERROR result = driver->Open(request, device);
  if (result != 0) return result;
  if (!device) return MCIERR_DRIVER_INTERNAL;
  MCIDEVICEID id = state.nextId++;
  auto slot = std::make_shared<NotifySlot>(id);
  state.devices[id] = OpenDevice{std::move(device), slot, driver, request.alias, request.element};
  parms->wDeviceID = id;
  if (flags & MCI_NOTIFY)
    PostNotification(reinterpret_cast<HWND>(parms->dwCallback), MCI_NOTIFY_SUCCESSFUL, id);
  return 0;
}

MCIERROR Close(MCIDEVICEID id, DWORD_PTR flags, MCI_GENERIC_PARMS* parms) {
  Registry& state = State();
  auto it = state.devices.find(id);
  if (it == state.devices.end()) return MCIERR_INVALID_DEVICE_ID;
  if (MCIERROR refused = it->second.device->Close()) return refused;
  OpenDevice open = std::move(it->second);
  state.devices.erase(it);
  open.slot->Resolve(MCI_NOTIFY_ABORTED);
  open.device.reset();
  if ((flags & MCI_NOTIFY) && parms)
    PostNotification(reinterpret_cast<HWND>(parms->dwCallback), MCI_NOTIFY_SUCCESSFUL, id);
  return 0;
}

bool KnownCommand(UINT message) {
  return (message >= MCI_OPEN && message <= MCI_STATUS && message != MCI_SOUND) ||
         message == MCI_CUE || (message >= MCI_REALIZE && message <= MCI_UNFREEZE) ||
         (message >= MCI_LOAD && message <= MCI_DELETE);
}

}  // namespace

MCIERROR HostPathOf(const std::string& element, std::string& hostPath) {
  // Host paths pass as they are; Windows names go through the drive table.
  if (!element.empty() && element[0] == '/') {
    hostPath = element;
    return 0;
  }
  DWORD error = WindowsToHostPath(element, hostPath);
  if (error == 0) return 0;
  return error == ERROR_NOT_READY ? MCIERR_DEVICE_NOT_READY : MCIERR_FILE_NOT_FOUND;
}

MCIERROR CopyInfo(const std::string& text, void* parms) {
  auto* info = static_cast<MCI_INFO_PARMSA*>(parms);
  if (!info || !info->lpstrReturn || info->dwRetSize == 0) return MCIERR_PARAM_OVERFLOW;
  std::size_t n = std::min<std::size_t>(text.size(), info->dwRetSize - 1);
  std::memcpy(info->lpstrReturn, text.data(), n);
  info->lpstrReturn[n] = '\0';
  return n < text.size() ? MCIERR_PARAM_OVERFLOW : 0;
}

std::vector<OpenDeviceSummary> OpenDevices() {
  std::vector<OpenDeviceSummary> out;
  for (const auto& [id, open] : State().devices)
    out.push_back(OpenDeviceSummary{id, open.driver->TypeName(), open.element});
  return out;
}

int SoundingVoices(MCIDEVICEID id) {
  auto it = State().devices.find(id);
  if (it == State().devices.end()) return 0;
  auto* stream = dynamic_cast<StreamDevice*>(it->second.device.get());
  return stream ? stream->Voices() : 0;
}

std::vector<MCIDEVICEID> OpenDeviceIds() {
  std::vector<MCIDEVICEID> ids;
  for (const auto& [id, open] : State().devices) ids.push_back(id);
  return ids;
}

void RegisterDriver(std::shared_ptr<Driver> driver) {
  auto& drivers = State().drivers;
  std::string name = driver->TypeName();
  std::erase_if(drivers, [&](auto& d) { return d->TypeName() == name; });
  drivers.insert(drivers.begin(), std::move(driver));
}

void UnregisterDriver(const std::string& typeName) {
  auto& drivers = State().drivers;
  std::string name = Lower(typeName);
  std::erase_if(drivers, [&](auto& d) { return d->TypeName() == name; });
  for (auto& builtIn : BuiltIns())
    if (builtIn->TypeName() == name) drivers.push_back(builtIn);
}

}  // namespace platform::mci

using namespace platform::mci;

MCIERROR mciSendCommandA(MCIDEVICEID deviceId, UINT message, DWORD_PTR flags, DWORD_PTR parms) {
  void* block = reinterpret_cast<void*>(parms);
  if (message == MCI_OPEN) return Open(flags, static_cast<MCI_OPEN_PARMSA*>(block));
  if (!KnownCommand(message)) return MCIERR_UNRECOGNIZED_COMMAND;
  Registry& state = State();
  if (deviceId == MCI_ALL_DEVICE_ID) {
    if (message != MCI_CLOSE && message != MCI_STOP && message != MCI_PAUSE)
      return MCIERR_CANNOT_USE_ALL;
    std::vector<MCIDEVICEID> ids;
    for (auto& [id, open] : state.devices) ids.push_back(id);
    MCIERROR last = 0;
    for (MCIDEVICEID id : ids)
      if (MCIERROR r = mciSendCommandA(id, message, flags & ~DWORD_PTR(MCI_NOTIFY), parms))
        last = r;
    return last;
  }
  if (state.devices.find(deviceId) == state.devices.end()) return MCIERR_INVALID_DEVICE_ID;
  if ((flags & MCI_NOTIFY) && !block) return MCIERR_NULL_PARAMETER_BLOCK;
  if (message == MCI_CLOSE) return Close(deviceId, flags, static_cast<MCI_GENERIC_PARMS*>(block));

  OpenDevice& open = state.devices[deviceId];
  std::shared_ptr<NotifySlot> slot = open.slot;
  HWND window =
      block ? reinterpret_cast<HWND>(static_cast<MCI_GENERIC_PARMS*>(block)->dwCallback) : nullptr;
  Context context(*slot, flags, window);
  MCIERROR result = open.device->Command(message, flags, block, context);
  if (result == 0 && (flags & MCI_NOTIFY) && !context.Deferred()) {
    // A command that ends at once still replaces the pending notification.
    slot->Resolve(MCI_NOTIFY_SUPERSEDED);
    PostNotification(window, MCI_NOTIFY_SUCCESSFUL, deviceId);
  }
  return result;
}
