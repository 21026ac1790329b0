// The ADIF import's work after the mapping: every record of the file goes
// through the logging window's entry, check and save path (EntrySession),
// with the import's mode and band checks; the counts make the closing
// message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "logging/entry_session.h"

namespace korv {

// The log fields of the import window's right list: the eight standard
// names and the names of the session's visible received exchange fields
// ("DOK" for the DEZ).
std::vector<std::string> AdifLogFieldNames(const EntrySession& session);

// Every log field mapped to the file's field of the same name
// ("CALL (CALL)", ...).
std::vector<std::string> AdifSameNameMapping(const std::vector<std::string>& logFields);

// The file field the import window maps to `logField` by itself when a file
// is chosen: the field of the same name, else the first field other loggers
// write it in (a DOK or district also as DARC_DOK or in the received
// exchange text SRX_STRING, a locator as GRIDSQUARE, a serial number as
// SRX). Empty when `fileFields` holds none of them.
std::string AdifAutomaticFileField(std::string_view logField, const std::vector<std::string>& fileFields);

struct AdifImportCounts {
  int imported = 0;
  int duplicates = 0;  // refused by the entry check
  int bandErrors = 0;
  int modeErrors = 0;
};

// Enters the records (as read by ReadAdifText) into the open session.
// rightList: the entries of the right list ("LOGFIELD" or "LOGFIELD (FILE)").
// No message is shown per record; the caller shows AdifImportMessage.
AdifImportCounts ImportAdifRecords(EntrySession& session, const std::vector<std::string>& records,
                                   const std::vector<std::string>& rightList, bool noCheck);

}  // namespace korv
