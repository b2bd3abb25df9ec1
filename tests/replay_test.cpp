// The replay harness's contract: its input format, its records, its frame
// numbering and its determinism, on a small program of the test's own.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "platform/platform.h"
#include "platform/replay.h"

namespace {

TEST(ReplayInput, MalformedLinesAreRefusedWithTheirLineNumber) {
  struct Case {
    const char* text;
    const char* why;
  };
  const Case cases[] = {
      {"0 press SPACE\nx tap UP\n", "line 2:"},
      {"5 press F\n", "line 1: unknown key"},
      {"1 press\n", "line 1:"},
      {"1 press SPACE SPACE\n", "line 1:"},
      {"-1 press SPACE\n", "line 1:"},
      {"1 axis 0 2 5\n", "line 1: axis must be 0 or 1"},
      {"1 axis 0 0 40000\n", "line 1: raw axis"},
      {"1 axis 9 0 0\n", "line 1: port"},
      {"1 button 0 x\n", "line 1: button"},
      {"# a comment\n\n3 tap ESC # fine\n4 jump\n", "line 4: unknown event"},
      {"7\n", "line 1: an event is missing"},
  };
  for (const Case& c : cases) {
    std::vector<nr::InputEvent> events;
    std::string error;
    EXPECT_FALSE(nr::ParseInputScript(c.text, events, error)) << c.text;
    EXPECT_EQ(error.rfind(c.why, 0), 0u) << c.text << " gave: " << error;
  }
}

TEST(ReplayInput, TapIsAPressAndAReleaseOnTheNextFrame) {
  std::vector<nr::InputEvent> events;
  std::string error;
  ASSERT_TRUE(nr::ParseInputScript("3 tap ESC\n4 axis 1 1 -32768\r\n9 unbutton 0 1", events, error))
      << error;
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].frame, 3);
  EXPECT_EQ(events[0].kind, nr::InputEvent::kPress);
  EXPECT_EQ(events[0].key, KEY_ESCAPE);
  EXPECT_EQ(events[1].frame, 4);
  EXPECT_EQ(events[1].kind, nr::InputEvent::kRelease);
  EXPECT_EQ(events[2].value, -32768);
  EXPECT_EQ(events[3].kind, nr::InputEvent::kUnbutton);
  EXPECT_EQ(events[3].index, 1);
}

// A tiny program: draws a fixture where SPACE moves it, plays a sound at
// each press, draws random numbers, and ends on ESC.
int Toy() {
  Graphics(640, 480, 32, 60, 0);
  TImage block = LoadImage("fixtures/block4.png");
  TSound beep = LoadSound("fixtures/beep50ms.wav");
  float x = 0;
  for (;;) {
    Cls();
    if (KeyHit(KEY_ESCAPE)) break;
    if (KeyHit(KEY_SPACE)) {
      x += 10;
      PlaySound(beep);
    }
    SetBlend(ALPHABLEND);
    DrawImage(block, x, static_cast<float>(Rnd(0, 100)));
    Flip(-1);
  }
  EndGraphics();
  return 3;
}

nr::ReplayOptions Script(const std::string& text) {
  nr::ReplayOptions o;
  std::string error;
  EXPECT_TRUE(nr::ParseInputScript(text, o.events, error)) << error;
  o.trace = true;
  return o;
}

TEST(ReplayRun, FramesAreNumberedFromZeroAndInputArrivesBeforeItsFrame) {
  nr::ReplayOptions o = Script("2 tap SPACE\n4 press ESC\n");
  o.traceKinds = nr::kTraceSound | nr::kTraceState | nr::kTraceEnd;
  nr::ReplayResult r = nr::RunReplay(o, Toy);
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.frames, 4);
  EXPECT_EQ(r.trace,
            "0\tstate\tms=100000\n"
            "1\tstate\tms=100016\n"
            "2\tsound\tfixtures/beep50ms.wav\t-1\n"
            "2\tstate\tms=100033\n"
            "3\tstate\tms=100050\n"
            "4\tend\tms=100066\n");
}

TEST(ReplayRun, SameInputSameTraceAndPictures) {
  const std::string script = "1 tap SPACE\n5 tap SPACE\n30 tap ESC\n";
  nr::ReplayOptions o = Script(script);
  const std::string dir = ::testing::TempDir();
  o.shots = {{3, dir + "/replay_a.png"}};
  nr::ReplayResult a = nr::RunReplay(o, Toy);
  o.shots = {{3, dir + "/replay_b.png"}};
  nr::ReplayResult b = nr::RunReplay(o, Toy);
  ASSERT_TRUE(a.error.empty()) << a.error;
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_NE(a.trace.find("\tdraw\tfixtures/block4.png\t0\t10\t"), std::string::npos);
  auto slurp = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  const std::string pa = slurp(dir + "/replay_a.png");
  EXPECT_GT(pa.size(), 100u);
  EXPECT_EQ(pa, slurp(dir + "/replay_b.png"));
}

TEST(ReplayRun, StopsAfterTheAskedFrames) {
  nr::ReplayOptions o = Script("");
  o.frames = 7;
  o.traceKinds = nr::kTraceState | nr::kTraceEnd;
  nr::ReplayResult r = nr::RunReplay(o, Toy);
  EXPECT_FALSE(r.ended);
  EXPECT_EQ(r.frames, 7);
  EXPECT_NE(r.trace.find("6\tstate"), std::string::npos);
  EXPECT_EQ(r.trace.find("7\tstate"), std::string::npos);
  EXPECT_EQ(r.trace.find("end"), std::string::npos) << "the program did not end";
}

TEST(ReplayRun, TraceOnlyKeepsTheAskedKinds) {
  nr::ReplayOptions o = Script("1 tap SPACE\n3 tap ESC\n");
  o.traceKinds = nr::kTraceDraw;
  nr::ReplayResult r = nr::RunReplay(o, Toy);
  std::istringstream lines(r.trace);
  std::string line;
  int n = 0;
  while (std::getline(lines, line)) {
    ++n;
    EXPECT_NE(line.find("\tdraw\t"), std::string::npos) << line;
  }
  EXPECT_EQ(n, 3);
}

TEST(ReplayOptions, BadOptionsAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frames"},         {"--frames", "0"},        {"--frames", "x"},
      {"--trace-only", "draw,"}, {"--trace-only", "pixels"}, {"--shot", "12"},
      {"--shot", "x:a.png"}, {"--joysticks", "9"},    {"--input", "/nonexistent/in.txt"},
      {"--bogus"},
  };
  for (const auto& args : bad) {
    nr::ReplayOptions o;
    std::string error;
    EXPECT_FALSE(nr::ParseReplayArgs(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
  nr::ReplayOptions o;
  std::string error;
  ASSERT_TRUE(nr::ParseReplayArgs({"--frames", "12", "--trace", "-", "--trace-only", "state,end",
                                   "--shot", "3:a.png", "--shot", "5:b.png", "--joysticks", "2"},
                                  o, error))
      << error;
  EXPECT_EQ(o.frames, 12);
  EXPECT_EQ(o.traceKinds, nr::kTraceState | nr::kTraceEnd);
  EXPECT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.joysticks, 2);
}

TEST(ReplayBinary, MalformedInputExitsTwoBeforeAnythingRuns) {
  const std::string dir = ::testing::TempDir();
  const std::string input = dir + "/bad_input.txt";
  std::ofstream(input) << "0 press SPACE\n1 press SPACE\n2 wiggle\n";
  const std::string cmd = std::string(NR_BINARY_DIR) + "/neonrally-replay --input " + input +
                          " --trace " + dir + "/bad_trace.txt 2>" + dir + "/bad_err.txt";
  std::remove((dir + "/bad_trace.txt").c_str());
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::ifstream err(dir + "/bad_err.txt");
  std::string first;
  std::getline(err, first);
  EXPECT_NE(first.find("line 3"), std::string::npos) << first;
  EXPECT_FALSE(std::ifstream(dir + "/bad_trace.txt").good()) << "nothing ran";
}

}  // namespace
