// Keystroke to repaint in the logging window: the real TContestLogStd,
// opened offscreen on DEZ logs of 1000 and 100000 QSOs (generated through
// the entry session, bench/dez_log.h), gets a few hundred characters typed
// into its call field. Printed per size: median, 99th percentile and
// maximum of the time from the key press to the end of the repaint it
// causes, the widgets painted per key and the machine's load.
//
// Method. QTest::keyClick delivers the key press and release synchronously:
// the window's key filter, the field's text change, the entry session's
// live call check and the window's Draw() (which sets texts and colours and
// so marks widgets dirty) all run inside that call. Qt paints dirty widgets
// later, when the window's posted update request is processed; the offscreen
// platform then paints into its backing store as a screen platform would.
// So after the key click the program processes pending events until a
// paint event of the call field has run (every typed character changes its
// text, so one must come) and stops the clock then. An application event
// filter counts the paint events, which proves the repaint happened; it
// adds a counter increment per event. Between calls Escape clears the entry
// (not timed). The window's one-second clock keeps running as in use: a
// tick that falls into a measurement counts, as the user would see it.
//
//   korv_bench_logging_repaint [--sizes 1000,100000] [--keys 300] [--dir DIR] [--keep]
#include <QApplication>
#include <QEvent>
#include <QtTest>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "controls/ui/kx_edit.h"
#include "dez_log.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QObject* field) : m_callField(field) {}
  int all = 0;
  int callField = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++all;
      if (watched == m_callField) ++callField;
    }
    return false;
  }

 private:
  QObject* m_callField;
};

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one;
  in >> one;
  return one.empty() ? "?" : one;
}

struct SizeResult {
  int qsos = 0;
  double generateSeconds = 0;
  int keys = 0;
  int missed = 0;  // keys after which no paint of the call field came
  double medianMs = 0, p99Ms = 0, maxMs = 0;
  double paintsPerKey = 0;
  std::string loadBefore, loadAfter;
};

SizeResult RunSize(const fs::path& root, int n, int keys) {
  SizeResult r;
  const fs::path dir = root / ("log-" + std::to_string(n));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::mt19937 rng(12345);
  bench::DezLog log;
  log.Start(dir, true);
  log.Open();
  const auto g0 = Clock::now();
  r.qsos = log.Fill(n, rng);
  r.generateSeconds = std::chrono::duration<double>(Clock::now() - g0).count();
  log.session->Close();
  log.header = log.session->headerBytes();
  log.session.reset();

  TContestLogStd window(log.Context(), log.header, log.rules);
  if (!window.FormCreate()) {
    std::fprintf(stderr, "the log of %d QSOs did not open\n", n);
    std::exit(1);
  }
  window.resize(1280, 960);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    std::fprintf(stderr, "the window was not exposed\n");
    std::exit(1);
  }
  QApplication::setActiveWindow(&window);
  (void)QTest::qWaitForWindowActive(&window);
  TkxEdit* call = window.Entry()->Field(EntryField::kCall);
  call->setFocus();
  PaintCounter paints(call);
  qApp->installEventFilter(&paints);

  // Calls to type: new ones and ones of the log in turn (the latter show
  // the duplicate and partial-call state). The first call warms up.
  std::vector<std::string> calls;
  int planned = 0;
  for (std::uint32_t i = 0; planned < keys; ++i) {
    calls.push_back(i % 2 == 0 ? bench::CallOf(900000 + i)
                               : bench::CallOf(100000 + (i * 7919) % static_cast<std::uint32_t>(
                                                                         std::max(1, n / 2))));
    if (i > 0) planned += static_cast<int>(calls.back().size());
  }
  std::vector<double> times;
  int paintsTimed = 0;
  r.loadBefore = LoadAverage();
  for (std::size_t c = 0; c < calls.size(); ++c) {
    for (char ch : calls[c]) {
      const int before = paints.callField;
      const int allBefore = paints.all;
      const auto t0 = Clock::now();
      QTest::keyClick(call, static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
      for (int round = 0; round < 1000 && paints.callField == before; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
      }
      const auto t1 = Clock::now();
      if (c == 0) continue;
      if (paints.callField == before) ++r.missed;
      times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      paintsTimed += paints.all - allBefore;
    }
    // The window must have taken every key as typed (upper-cased).
    if (call->text() != QString::fromStdString(calls[c])) {
      std::fprintf(stderr, "the call field shows %s after typing %s\n", qPrintable(call->text()), calls[c].c_str());
      std::exit(1);
    }
    QTest::keyClick(call, Qt::Key_Escape);
    QCoreApplication::processEvents();
  }
  r.loadAfter = LoadAverage();
  qApp->removeEventFilter(&paints);
  r.keys = static_cast<int>(times.size());
  r.medianMs = Percentile(times, 0.5);
  r.p99Ms = Percentile(times, 0.99);
  r.maxMs = times.empty() ? 0 : *std::max_element(times.begin(), times.end());
  r.paintsPerKey =
      times.empty() ? 0 : static_cast<double>(paintsTimed) / static_cast<double>(times.size());
  window.close();
  return r;
}

}  // namespace
}  // namespace korv

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<int> sizes{1000, 100000};
  int keys = 300;
  fs::path root = fs::temp_directory_path() /
                  ("korv-repaint-bench-" + std::to_string(QCoreApplication::applicationPid()));
  bool keep = false;
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    const QString a = args[i];
    if (a == QLatin1String("--sizes") && i + 1 < args.size()) {
      sizes.clear();
      for (const QString& s : args[++i].split(QLatin1Char(','), Qt::SkipEmptyParts))
        sizes.push_back(s.toInt());
    } else if (a == QLatin1String("--keys") && i + 1 < args.size()) {
      keys = std::max(1, args[++i].toInt());
    } else if (a == QLatin1String("--dir") && i + 1 < args.size()) {
      root = args[++i].toStdString();
    } else if (a == QLatin1String("--keep")) {
      keep = true;
    } else {
      std::fprintf(stderr, "usage: %s [--sizes 1000,100000] [--keys 300] [--dir DIR] [--keep]\n",
                   argv[0]);
      return 2;
    }
  }
  fs::create_directories(root);
  std::printf(
      "Logging window, key press in the call field to the end of its repaint (%s platform)\n\n",
      qPrintable(QGuiApplication::platformName()));
  std::printf("%8s %8s %6s %10s %10s %10s %11s %7s  %s\n", "QSOs", "gen s", "keys", "median ms",
              "p99 ms", "max ms", "paints/key", "missed", "load 1 min before/after");
  for (int n : sizes) {
    const korv::SizeResult r = korv::RunSize(root, n, keys);
    std::printf("%8d %8.1f %6d %10.3f %10.3f %10.3f %11.1f %7d  %s / %s\n", r.qsos,
                r.generateSeconds, r.keys, r.medianMs, r.p99Ms, r.maxMs, r.paintsPerKey, r.missed,
                r.loadBefore.c_str(), r.loadAfter.c_str());
    std::fflush(stdout);
  }
  if (!keep) fs::remove_all(root);
  return 0;
}
