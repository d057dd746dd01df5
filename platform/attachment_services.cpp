#include "platform/attachment_services.h"

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include "platform/com_ptr.h"

namespace qf {

namespace {

// Spelled out: the import libraries export some GUIDs as data, which a
// plain reference then misreads.
constexpr CLSID kAttachmentServices = {0x4125dd96, 0xe03a, 0x4103, {0x8f, 0x70, 0xe0, 0x59, 0x7d, 0x80, 0x3b, 0x9c}};
constexpr IID kAttachmentExecute = {0x73db1241, 0x1e85, 0x4581, {0x8e, 0x4f, 0xa8, 0x1e, 0x1d, 0x0f, 0x8c, 0x57}};
// This program as the attachment services' client: the services keep their
// per-client settings (a prompt the user dismissed, say) under it.
constexpr GUID kClientGuid = {0x6d2b9a41, 0x53c7, 0x4e8a, {0x9b, 0x1f, 0x27, 0x4c, 0x81, 0x0e, 0x5a, 0xd3}};

}  // namespace

AttachmentVerdict SaveWithAttachmentServices(const std::wstring& path, const std::wstring& source) {
  IAttachmentExecute* raw = nullptr;
  if (FAILED(::CoCreateInstance(kAttachmentServices, nullptr, CLSCTX_INPROC_SERVER, kAttachmentExecute,
                                reinterpret_cast<void**>(&raw))) ||
      !raw)
    return AttachmentVerdict::Unavailable;
  const ComPtr<IAttachmentExecute> execute(raw);
  if (FAILED(execute->SetClientGuid(kClientGuid)) || FAILED(execute->SetLocalPath(path.c_str())) ||
      FAILED(execute->SetSource(source.c_str())))
    return AttachmentVerdict::Unavailable;
  // Save records the zone and runs the antivirus; a failure means the file
  // must not be started.
  return SUCCEEDED(execute->Save()) ? AttachmentVerdict::Saved : AttachmentVerdict::Blocked;
}

}  // namespace qf
