// ADIF files of other loggers as the import reads them: arbitrary bytes
// split into records, their field names listed, and every named field's
// value read and converted as the entry fields take it.
//   cmake --build build-fuzz --target fuzz_adif
//   build-fuzz/fuzz/fuzz_adif -max_len=4096 -max_total_time=600
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/adif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const korv::AdifContents contents = korv::ReadAdifText(bytes);
  for (const std::string& record : contents.records) {
    for (const std::string& name : contents.fieldNames) {
      const std::string value = korv::AdifFieldValue(record, name);
      (void)korv::AdifEntryText(name, value);
    }
  }
  (void)korv::AdifFieldNames(contents.records);
  return 0;
}
