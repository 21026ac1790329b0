// Hamlib's model table as the settings dialog lists it, its filter, and the
// serial ports offered.
#include "rig/rig_models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "support/test_support.h"

namespace korv {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(RigModelList, HoldsEveryBackendSortedByManufacturerAndModel) {
  const std::vector<RigModel>& models = RigModelList();
  auto find = [&](int number) {
    return std::find_if(models.begin(), models.end(),
                        [&](const RigModel& m) { return m.number == number; });
  };
  // Hamlib's dummy and network models, and radios of the serial backends.
  ASSERT_NE(find(1), models.end());
  EXPECT_EQ(find(1)->manufacturer, "Hamlib");
  EXPECT_EQ(find(1)->name, "Dummy");
  ASSERT_NE(find(2), models.end());
  EXPECT_EQ(find(2)->name, "NET rigctl");
  ASSERT_NE(find(3073), models.end());
  EXPECT_EQ(find(3073)->manufacturer, "Icom");
  EXPECT_EQ(find(3073)->name, "IC-7300");
  EXPECT_TRUE(
      std::is_sorted(models.begin(), models.end(), [](const RigModel& a, const RigModel& b) {
        return std::make_tuple(Lower(a.manufacturer), Lower(a.name), a.number) <
               std::make_tuple(Lower(b.manufacturer), Lower(b.name), b.number);
      }));
  std::set<int> numbers;
  for (const RigModel& m : models) EXPECT_TRUE(numbers.insert(m.number).second) << m.number;
  // Built once: the same table on every call.
  EXPECT_EQ(&RigModelList(), &models);
  EXPECT_EQ(RigModelTitle(3073), "Icom IC-7300");
  EXPECT_EQ(RigModelTitle(-5), "Modell -5");
}

TEST(RigModelMatches, EveryWordOfTheFilterSomewhereInTheRow) {
  const RigModel icom{3073, "Icom", "IC-7300"};
  const struct {
    const char* filter;
    bool matches;
  } cases[] = {
      {"", true},          {"   ", true},        {"icom", true},    {"ICOM 7300", true},
      {"7300 icom", true}, {"3073", true},       {"ic-7300", true}, {"  icom   ic ", true},
      {"yaesu", false},    {"icom 7610", false}, {"7300x", false},  {"icom-7300", false},
  };
  for (const auto& c : cases) EXPECT_EQ(RigModelMatches(icom, c.filter), c.matches) << c.filter;
}

TEST(RigSerialPorts, StableNamesFirstThenUsbAndAcmInNumberOrder) {
  const std::filesystem::path dev = testing::MakeTempDir("rig-dev");
  ASSERT_FALSE(dev.empty());
  EXPECT_TRUE(RigSerialPorts(dev).empty());
  std::filesystem::create_directories(dev / "serial" / "by-id");
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "tty", "null", "ttyUSB0"}) {
    testing::WriteAll(dev / name, {});
  }
  for (const char* name : {"usb-Silicon_Labs_CP2102-if00-port0", "usb-FTDI_FT232R-if00-port0"}) {
    std::filesystem::create_symlink(dev / "ttyUSB0", dev / "serial" / "by-id" / name);
  }
  const std::vector<std::string> expected{
      (dev / "serial/by-id/usb-FTDI_FT232R-if00-port0").string(),
      (dev / "serial/by-id/usb-Silicon_Labs_CP2102-if00-port0").string(),
      (dev / "ttyACM0").string(),
      (dev / "ttyUSB0").string(),
      (dev / "ttyUSB2").string(),
      (dev / "ttyUSB10").string(),
  };
  EXPECT_EQ(RigSerialPorts(dev), expected);
  std::filesystem::remove_all(dev);
}

}  // namespace
}  // namespace korv
