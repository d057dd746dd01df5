#pragma once
// Windows' attachment services for a downloaded file: they record where it
// came from (the Mark of the Web, which SmartScreen and Explorer read) and
// let policy and the antivirus look at it before it is started.
#include <string>

namespace qf {

enum class AttachmentVerdict {
  Saved,        // recorded; the file may be started
  Blocked,      // policy or an antivirus refused the file
  Unavailable,  // the system has no attachment services
};

// Hands the file at path, downloaded from source, to the attachment
// services. Call it on a thread where COM is initialised.
AttachmentVerdict SaveWithAttachmentServices(const std::wstring& path, const std::wstring& source);

}  // namespace qf
