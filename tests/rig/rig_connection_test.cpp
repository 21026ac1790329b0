// The connection and the probe against real Hamlib: the dummy radio in
// process, rigctld serving the dummy radio on a loopback port, a listener
// that never answers, and radios that cannot be reached.
#include "rig/rig_connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <functional>

#include "support/rigctld_process.h"

namespace korv {
namespace {

using namespace std::chrono_literals;

// Fast enough for tests, slow enough not to flood rigctld.
constexpr RigConnectionOptions kQuick{50ms, 100ms, 2000ms};
constexpr auto kLimit = 5s;

RigSettings Rigctld(int port) {
  RigSettings s;
  s.kind = RigKind::kRigctld;
  s.host = "127.0.0.1";
  s.port = port;
  return s;
}

RigSettings Model(int model, std::string device) {
  RigSettings s;
  s.kind = RigKind::kModel;
  s.model = model;
  s.device = std::move(device);
  return s;
}

// The first published state that satisfies `wanted`, or the last one seen
// when none did within `limit`.
RigState WaitFor(const RigConnection& c, const std::function<bool(const RigState&)>& wanted,
                 std::chrono::milliseconds limit = kLimit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  RigState s = c.Latest();
  while (!wanted(s)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= 0ms) break;
    s = c.WaitForChange(s.sequence, left);
  }
  return s;
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.rfind(head, 0) == 0;
}

TEST(RigConnection, ReadsHamlibsDummyRadioInProcess) {
  RigConnection c(Model(1, "/dev/null"), kQuick);
  const RigState s = WaitFor(c, [](const RigState& r) { return r.connected; });
  ASSERT_TRUE(s.connected) << s.error;
  EXPECT_EQ(s.frequencyHz, 145000000);  // the dummy radio's power-on state
  EXPECT_EQ(s.mode, "FM");
  EXPECT_EQ(s.modelName, "Dummy");
  EXPECT_EQ(s.error, "");
  EXPECT_GT(s.sequence, 0u);
}

TEST(RigConnection, SettingsThatCannotWorkStartNoWorker) {
  const struct {
    RigSettings settings;
    std::string error;
  } cases[] = {
      {RigSettings{}, kRigNotConfigured},
      {Rigctld(0), "Der Port 0 ist nicht g\xFCltig (1..65535)."},
      {Model(0, "/dev/ttyUSB0"), "Kein Rig-Modell gew\xE4hlt."},
  };
  for (const auto& c : cases) {
    RigConnection connection(c.settings, kQuick);
    const RigState s = connection.Latest();
    EXPECT_FALSE(s.connected);
    EXPECT_EQ(s.error, c.error);
    EXPECT_EQ(s.sequence, 1u);
    EXPECT_EQ(RigProbe(c.settings, 1s).error, c.error);
  }
}

TEST(RigProbe, NamesTheReasonWhenHamlibCannotOpenTheRadio) {
  const RigState unknown = RigProbe(Model(999999, "/dev/null"), kLimit);
  EXPECT_FALSE(unknown.connected);
  EXPECT_EQ(unknown.error, "Hamlib kennt das Rig-Modell 999999 nicht.");

  const RigState noDevice = RigProbe(Model(3073, "/nonexistent/ttyUSB9"), kLimit);
  EXPECT_FALSE(noDevice.connected);
  EXPECT_TRUE(
      StartsWith(noDevice.error, "IC-7300 an /nonexistent/ttyUSB9: keine Verbindung m\xF6glich ("))
      << noDevice.error;

  const int closedPort = testing::FreeLoopbackPort();
  const RigState refused = RigProbe(Rigctld(closedPort), kLimit);
  EXPECT_FALSE(refused.connected);
  EXPECT_TRUE(StartsWith(refused.error, "rigctld 127.0.0.1:" + std::to_string(closedPort) +
                                            ": keine Verbindung m\xF6glich ("))
      << refused.error;
}

// A radio that hangs: the probe gives up at its own timeout, and its thread,
// left alone, still closes the connection when Hamlib returns.
TEST(RigProbe, GivesUpAtItsTimeoutAndTheAbandonedThreadCleansUp) {
  testing::SilentListener silent;
  ASSERT_TRUE(silent.Ok());
  const RigState s = RigProbe(Rigctld(silent.Port()), 300ms);
  EXPECT_FALSE(s.connected);
  EXPECT_EQ(s.error, "Keine Antwort innerhalb von 300 ms (rigctld 127.0.0.1:" +
                         std::to_string(silent.Port()) + ").");
  EXPECT_TRUE(silent.AcceptAndWaitForClose(10s));
}

TEST(RigConnection, StopDoesNotWaitForAHangingRadioBeyondItsBound) {
  testing::SilentListener silent;
  ASSERT_TRUE(silent.Ok());
  {
    RigConnection c(Rigctld(silent.Port()), RigConnectionOptions{50ms, 100ms, 100ms});
    // Once connected, the worker is inside rig_open waiting for an answer
    // (Hamlib's timeout for rigctld is 1 s), far longer than Stop waits.
    ASSERT_TRUE(silent.WaitForClient(kLimit));
    c.Stop();
    const RigState s = c.Latest();
    EXPECT_FALSE(s.connected);
    EXPECT_EQ(s.error, "Rig-Steuerung beendet.");
    // Nothing is published after a stop.
    EXPECT_EQ(c.WaitForChange(s.sequence, 1s).sequence, s.sequence);
    c.Stop();  // again: nothing happens
    EXPECT_EQ(c.Latest().sequence, s.sequence);
  }
  // The connection is gone; its worker ends on its own and closes the socket.
  EXPECT_TRUE(silent.AcceptAndWaitForClose(10s));
}

class RigctldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::RigctldProcess::Installed()) {
      GTEST_SKIP() << "rigctld/rigctl not installed (Debian package libhamlib-utils)";
    }
    ASSERT_TRUE(rigctld_.Start()) << rigctld_.Problem();
    ASSERT_TRUE(rigctld_.Tune(7030000, "CW", 500));
  }

  testing::RigctldProcess rigctld_;
};

TEST_F(RigctldTest, PublishesTheRadioAndFollowsItsChanges) {
  RigConnection c(Rigctld(rigctld_.Port()), kQuick);
  const RigState first =
      WaitFor(c, [](const RigState& s) { return s.connected && s.frequencyHz == 7030000; });
  ASSERT_TRUE(first.connected) << first.error;
  EXPECT_EQ(first.frequencyHz, 7030000);
  EXPECT_EQ(first.mode, "CW");
  EXPECT_EQ(first.modelName, "rigctld");
  EXPECT_EQ(first.error, "");

  ASSERT_TRUE(rigctld_.Tune(3525400, "USB"));
  const RigState second =
      WaitFor(c, [](const RigState& s) { return s.frequencyHz == 3525400 && s.mode == "USB"; });
  EXPECT_EQ(second.frequencyHz, 3525400);
  EXPECT_EQ(second.mode, "USB");
  EXPECT_GT(second.sequence, first.sequence);

  ASSERT_TRUE(rigctld_.Tune(14074000, "PKTUSB"));
  const RigState third = WaitFor(c, [](const RigState& s) { return s.mode == "PKTUSB"; });
  EXPECT_EQ(third.frequencyHz, 14074000);
  EXPECT_EQ(third.mode, "PKTUSB");

  c.Stop();
  EXPECT_FALSE(c.Latest().connected);
  EXPECT_EQ(c.Latest().error, "Rig-Steuerung beendet.");
}

TEST_F(RigctldTest, LostWhenRigctldEndsAndFoundAgainOnItsPort) {
  RigConnection c(Rigctld(rigctld_.Port()), kQuick);
  ASSERT_TRUE(WaitFor(c, [](const RigState& s) { return s.connected; }).connected);

  rigctld_.Kill();
  const RigState lost = WaitFor(c, [](const RigState& s) { return !s.connected; });
  EXPECT_FALSE(lost.connected);
  EXPECT_TRUE(StartsWith(lost.error, "rigctld " + rigctld_.Address() + ": ")) << lost.error;

  ASSERT_TRUE(rigctld_.Start(rigctld_.Port())) << rigctld_.Problem();
  ASSERT_TRUE(rigctld_.Tune(7040000, "CW"));
  const RigState found =
      WaitFor(c, [](const RigState& s) { return s.connected && s.frequencyHz == 7040000; });
  EXPECT_TRUE(found.connected) << found.error;
  EXPECT_EQ(found.frequencyHz, 7040000);
  EXPECT_EQ(found.mode, "CW");
  EXPECT_EQ(found.error, "");
}

// A program with the user's locale (as every Qt program has): Hamlib's own
// switching of LC_NUMERIC on its thread would free the name it later puts
// back; the probe sets "C" before Hamlib runs.
TEST_F(RigctldTest, AUserLocaleIsReplacedByCBeforeHamlibRuns) {
  if (std::setlocale(LC_NUMERIC, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  const RigState s = RigProbe(Rigctld(rigctld_.Port()), kLimit);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  ASSERT_TRUE(s.connected) << s.error;
  EXPECT_EQ(s.frequencyHz, 7030000);
  EXPECT_EQ(s.mode, "CW");
}

TEST_F(RigctldTest, ProbeAnswersOnceThenSaysWhyNot) {
  const RigState s = RigProbe(Rigctld(rigctld_.Port()), kLimit);
  ASSERT_TRUE(s.connected) << s.error;
  EXPECT_EQ(s.frequencyHz, 7030000);
  EXPECT_EQ(s.mode, "CW");
  EXPECT_EQ(s.modelName, "rigctld");
  EXPECT_EQ(s.sequence, 0u);

  // Poll of a job: an answer arrives without anyone blocking for it.
  RigProbeJob job(Rigctld(rigctld_.Port()), kLimit);
  const RigState waited = job.Wait();
  ASSERT_TRUE(job.Poll().has_value());
  EXPECT_TRUE(job.Poll()->SameReading(waited));
  EXPECT_EQ(waited.frequencyHz, 7030000);

  rigctld_.Kill();
  const RigState gone = RigProbe(Rigctld(rigctld_.Port()), kLimit);
  EXPECT_FALSE(gone.connected);
  EXPECT_TRUE(
      StartsWith(gone.error, "rigctld " + rigctld_.Address() + ": keine Verbindung m\xF6glich ("))
      << gone.error;
}

}  // namespace
}  // namespace korv
