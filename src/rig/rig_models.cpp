#include "rig/rig_models.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <tuple>

#include "rig/hamlib_session.h"

namespace korv {
namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = LowerAscii(c);
  return lowered;
}

int CollectModel(const rig_caps* caps, rig_ptr_t data) {
  auto& models = *static_cast<std::vector<RigModel>*>(data);
  models.push_back({static_cast<int>(caps->rig_model),
                    caps->mfg_name != nullptr ? caps->mfg_name : "",
                    caps->model_name != nullptr ? caps->model_name : ""});
  return 1;  // go on
}

std::vector<RigModel> BuildModelList() {
  PrepareHamlib();
  std::vector<RigModel> models;
  {
    std::lock_guard lock(HamlibGlobalMutex());
    (void)rig_load_all_backends();
    (void)rig_list_foreach(CollectModel, &models);
  }
  std::sort(models.begin(), models.end(), [](const RigModel& a, const RigModel& b) {
    return std::make_tuple(Lowered(a.manufacturer), Lowered(a.name), a.number) <
           std::make_tuple(Lowered(b.manufacturer), Lowered(b.name), b.number);
  });
  return models;
}

// "ttyUSB10" sorts after "ttyUSB2": the name without its trailing digits,
// then the number they make.
std::tuple<std::string, long, std::string> PortOrder(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  const std::string number = name.substr(digits);
  const long value = number.empty() || number.size() > 9 ? -1 : std::stol(number);
  return {name.substr(0, digits), value, name};
}

}  // namespace

const std::vector<RigModel>& RigModelList() {
  static const std::vector<RigModel> models = BuildModelList();
  return models;
}

std::string RigModelTitle(int number) {
  for (const RigModel& m : RigModelList()) {
    if (m.number == number) return m.manufacturer + " " + m.name;
  }
  return "Modell " + std::to_string(number);
}

bool RigModelMatches(const RigModel& model, std::string_view filter) {
  const std::string haystack =
      Lowered(std::to_string(model.number) + " " + model.manufacturer + " " + model.name);
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t blank = filter.find_first_of(" \t", start);
    const std::size_t end = blank == std::string_view::npos ? filter.size() : blank;
    if (end > start &&
        haystack.find(Lowered(filter.substr(start, end - start))) == std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::vector<std::string> RigSerialPorts(const std::filesystem::path& devRoot) {
  std::vector<std::string> byId;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(devRoot / "serial" / "by-id", ec), end;
       !ec && it != end; it.increment(ec)) {
    byId.push_back((devRoot / "serial" / "by-id" / it->path().filename()).string());
  }
  ec.clear();
  std::vector<std::string> ttyNames;
  for (std::filesystem::directory_iterator it(devRoot, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) ttyNames.push_back(name);
  }
  std::sort(byId.begin(), byId.end());
  std::sort(ttyNames.begin(), ttyNames.end(),
            [](const std::string& a, const std::string& b) { return PortOrder(a) < PortOrder(b); });
  for (const std::string& name : ttyNames) byId.push_back((devRoot / name).string());
  return byId;
}

}  // namespace korv
