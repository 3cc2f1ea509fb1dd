// SPDX-License-Identifier: GPL-3.0-or-later
// The show left running, on a private X display: signals end every mode promptly with their codes,
// a lost display or host window ends it with one line, a screensaver's window is followed in size
// (the root window too), failures nobody can answer are one line, and a real screensaver manager
// runs the show from its description and ends it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/e2e/child_process.h"
#include "tests/support/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class LeftRunningE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(x.Start(1024, 768, true)) << x.Error(); }

    std::vector<std::string> Environment(std::vector<std::string> more = {}) const
    {
        more.insert(more.begin(), {x.DisplayVariable(), "FIREWORKS_MESSAGE_BOX=stderr", "FIREWORKS_TRACE=stdout"});
        return more;
    }

    // A plain X window standing in for a screensaver's; its id.
    std::string StartHostWindow()
    {
        EXPECT_TRUE(host.Start({X_WINDOW_HELPER}, {x.DisplayVariable()}));
        const std::optional<std::string> line = host.WaitForLine("window ", 10s);
        EXPECT_TRUE(line) << host.Stderr();
        return line ? line->substr(7) : "0";
    }

    // Starts the show and waits until it draws; with a window of its own, twenty clicks then put
    // twenty fireworks in the air, else the automatic show at four times its rate has launched.
    void StartBusyShow(ChildProcess& show, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment)
    {
        std::vector<std::string> argv{FIREWORKS_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        ASSERT_TRUE(show.Start(argv, environment));
        ASSERT_TRUE(show.WaitForLine("frame time", 20s)) << show.Stderr();
        const unsigned long window = x.WindowOfProcess(show.Pid(), 500);
        if (window == 0) {
            for (int i = 0; i < 3; ++i) {
                ASSERT_TRUE(show.WaitForLine("auto launch", 10s)) << show.Stderr();
            }
            return;
        }
        x.Xdotool({"mousemove", "--window", std::to_string(window), "300", "300", "click", "--repeat", "20",
                   "--delay", "15", "1"});
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(show.WaitForLine("launch", 10s)) << "launch " << i << ": " << show.Stderr();
        }
    }

    XSession x;
    ChildProcess host;
};

// Each of SIGINT, SIGTERM and SIGHUP, sent to a busy show in every mode, ends it within half a
// second with 130, 0 and 0, and nothing on standard error.
TEST_F(LeftRunningE2eTest, SignalsEndEveryMode)
{
    const std::vector<std::string> modes[] = {{},
                                              {"--auto", "--launch-rate", "4"},
                                              {"--show", FIREWORKS_EXAMPLE_SHOW},
                                              {"--window-id", StartHostWindow(), "--launch-rate", "4"},
                                              {"--sound", "--auto"}};
    for (const std::vector<std::string>& mode : modes) {
        for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 0}, std::pair{SIGHUP, 0}}) {
            SCOPED_TRACE((mode.empty() ? "plain" : mode[0]) + " " + strsignal(signal));
            ChildProcess show;
            ASSERT_NO_FATAL_FAILURE(StartBusyShow(show, mode, Environment({"SDL_AUDIODRIVER=dummy"})));
            ::kill(show.Pid(), signal);
            const std::optional<int> code = show.Wait(500ms);
            ASSERT_TRUE(code) << "still running half a second after the signal";
            EXPECT_EQ(*code, exitCode) << show.Stderr();
            EXPECT_EQ(show.Stderr(), "");
        }
    }
}

TEST_F(LeftRunningE2eTest, LostDisplayOrHostWindowEndsWithOneLine)
{
    ChildProcess hosted;
    ASSERT_NO_FATAL_FAILURE(StartBusyShow(hosted, {"--window-id", StartHostWindow(), "--launch-rate", "4"},
                                          Environment()));
    // The host's owner goes away, and its window with it.
    host.Kill();
    std::optional<int> code = hosted.Wait(1s);
    ASSERT_TRUE(code) << "still running a second after its window went";
    EXPECT_EQ(*code, 1);
    EXPECT_NE(hosted.Stderr().find("is gone"), std::string::npos) << hosted.Stderr();
    EXPECT_EQ(Lines(hosted.Stderr()), 1) << hosted.Stderr();

    ChildProcess show;
    ASSERT_NO_FATAL_FAILURE(StartBusyShow(show, {"--auto"}, Environment()));
    x.Stop();
    code = show.Wait(1s);
    ASSERT_TRUE(code) << "still running a second after the display went";
    EXPECT_EQ(*code, 1);
    EXPECT_NE(show.Stderr().find("connection to the X display was lost"), std::string::npos) << show.Stderr();
    EXPECT_EQ(Lines(show.Stderr()), 1) << show.Stderr();
}

TEST_F(LeftRunningE2eTest, RootAndResizedHostWindowsAreFilled)
{
    std::smatch found;
    const std::string rootInfo = RunCommand({"/usr/bin/xwininfo", "-root"}, {x.DisplayVariable()}).output;
    ASSERT_TRUE(std::regex_search(rootInfo, found, std::regex("Window id: (0x[0-9a-f]+)"))) << rootInfo;
    ChildProcess onRoot;
    ASSERT_TRUE(onRoot.Start({FIREWORKS_PROGRAM, "--window-id", found[1].str()}, Environment()));
    EXPECT_TRUE(onRoot.WaitForLine("size 1024x768", 20s)) << onRoot.Stderr();
    onRoot.Terminate(5s);
    EXPECT_EQ(onRoot.Stderr(), "");

    const std::string id = StartHostWindow();
    ChildProcess show;
    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM, "--window-id", id}, Environment()));
    ASSERT_TRUE(show.WaitForLine("size 320x240", 20s)) << show.Stderr();
    // As a screensaver the show leaves the machine its cores: 50 frames a second at most, and 30 on
    // a software rasteriser, which is what draws under Xvfb.
    for (int i = 0; i < 2; ++i) {
        const std::optional<std::string> line = show.WaitForLine("frame time", 5s);
        ASSERT_TRUE(line);
        EXPECT_LT(std::stod(line->substr(line->find("fps ") + 4)), 33.0) << *line;
    }
    ASSERT_TRUE(x.Xdotool({"windowsize", id, "1000", "700"}));
    EXPECT_TRUE(show.WaitForLine("size 1000x700", 10s)) << show.Stderr();
    show.Terminate(5s);
}

TEST_F(LeftRunningE2eTest, SmallWindowAndQuietSound)
{
    // The smallest size --size allows is the size drawn.
    ChildProcess small;
    ASSERT_TRUE(small.Start({FIREWORKS_PROGRAM, "--size", "64x64"}, Environment()));
    EXPECT_TRUE(small.WaitForLine("size 64x64", 20s)) << small.Stderr();
    small.Terminate(5s);

    // Through ALSA without a sound card: the one warning line and nothing of the library's search.
    ChildProcess sound;
    ASSERT_TRUE(sound.Start({FIREWORKS_PROGRAM, "--sound", "--auto"}, Environment({"SDL_AUDIODRIVER=alsa"})));
    ASSERT_TRUE(sound.WaitForLine("frame time", 20s)) << sound.Stderr();
    sound.Terminate(5s);
    EXPECT_LE(Lines(sound.Stderr()), 1) << sound.Stderr();
    EXPECT_EQ(sound.Stderr().find("ALSA lib"), std::string::npos) << sound.Stderr();
}

// The program and its media copied into a folder of its own, without one texture.
fs::path CopyWithoutStar(const std::string& name)
{
    const fs::path root = fs::temp_directory_path() / ("fireworks-left-running-" + std::to_string(::getpid()) + name);
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share/fireworks/Media");
    fs::copy_file(FIREWORKS_PROGRAM, root / "bin/fireworks");
    for (const char* file : {"Launch.bmp", "Shine.bmp", "Shine2.bmp", "Random.bmp", "Smoke.bmp", "Light.bmp",
                             "Ground.bmp", "sea.x"}) {
        fs::copy_file(fs::path(FIREWORKS_MEDIA_DIR) / file, root / "share/fireworks/Media" / file);
    }
    return root;
}

TEST_F(LeftRunningE2eTest, FailuresNobodyCanAnswerAreOneLineAndBoxesDieWithTheProgram)
{
    const fs::path copy = CopyWithoutStar("boxes");
    const std::string program = (copy / "bin/fireworks").string();
    // Real boxes could be shown on this display: only the screensaver mode keeps them away.
    const std::vector<std::string> environment{x.DisplayVariable(), "FIREWORKS_MESSAGE_BOX="};
    ChildProcess saver;
    ASSERT_TRUE(saver.Start({program, "--window-id", StartHostWindow()}, environment));
    const std::optional<int> code = saver.Wait(20s);
    ASSERT_TRUE(code) << "waiting for an answer nobody can give";
    EXPECT_EQ(*code, 1);
    EXPECT_EQ(Lines(saver.Stderr()), 1) << saver.Stderr();
    EXPECT_NE(saver.Stderr().find("cannot load Star.bmp"), std::string::npos) << saver.Stderr();
    // One failure, one report: nothing about another device.
    EXPECT_EQ(saver.Stderr().find("reference"), std::string::npos) << saver.Stderr();

    // In a window of its own the box is shown; it goes with the program, killed or ended by a signal.
    for (const int signal : {SIGKILL, SIGHUP}) {
        ChildProcess windowed;
        ASSERT_TRUE(windowed.Start({program}, environment));
        std::string boxes;
        for (const auto end = Clock::now() + 20s; Clock::now() < end && boxes.empty();) {
            x.Xdotool({"search", "--name", "Could not load|Fireworks over the night sea"}, &boxes);
            std::this_thread::sleep_for(200ms);
        }
        ASSERT_FALSE(boxes.empty()) << "no box appeared: " << windowed.Stderr();
        std::this_thread::sleep_for(1s);
        ASSERT_FALSE(windowed.Wait(0ms)) << windowed.Stderr();
        ::kill(windowed.Pid(), signal);
        EXPECT_TRUE(windowed.Wait(3s)) << strsignal(signal);
        std::this_thread::sleep_for(1s);
        x.Xdotool({"search", "--name", "Could not load|Fireworks over the night sea"}, &boxes);
        EXPECT_EQ(boxes, "") << "a box was left on screen after " << strsignal(signal);
    }
    fs::remove_all(copy);
}

// The description's command and the arguments of its controls, each value given as 1.
std::vector<std::string> DescriptionArguments(std::string* command)
{
    std::stringstream text;
    text << std::ifstream(FIREWORKS_SCREENSAVER_XML).rdbuf();
    const std::string xml = text.str();
    std::vector<std::string> args;
    const std::regex arg("<(command|number|boolean)[^>]* (arg|arg-set)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), arg); it != std::sregex_iterator(); ++it) {
        std::istringstream words(std::regex_replace((*it)[3].str(), std::regex("%"), "1"));
        for (std::string word; words >> word;) {
            if ((*it)[1] == "command") {
                *command += " " + word;
            } else {
                args.push_back(word);
            }
        }
    }
    return args;
}

TEST_F(LeftRunningE2eTest, XscreensaverRunsTheShowFromItsDescriptionAndEndsIt)
{
    std::string command;
    const std::vector<std::string> controls = DescriptionArguments(&command);
    ASSERT_EQ(command, " --root");
    ASSERT_EQ(controls.size(), 8u) << ::testing::PrintToString(controls);
    // Each control maps to a real option: all of them together read without a complaint.
    std::vector<std::string> check{FIREWORKS_PROGRAM};
    check.insert(check.end(), controls.begin(), controls.end());
    check.push_back("--version");
    const CommandResult read = RunCommand(check, {"XSCREENSAVER_WINDOW=0x400008"});
    EXPECT_EQ(read.exitCode, 0) << read.output;

    if (access("/usr/bin/xscreensaver", X_OK) != 0) {
        GTEST_SKIP() << "xscreensaver is not installed (scripts/install-deps installs it)";
    }
    // The manager refuses to run as root: as root, the test runs it as nobody.
    const fs::path home = fs::temp_directory_path() / ("fireworks-xscreensaver-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home);
    std::ofstream(home / ".xscreensaver") << "mode: one\nselected: 0\nlock: False\nfade: False\nunfade: False\n"
                                          << "splash: False\ntimeout: 0:30:00\nprograms: GL: " << FIREWORKS_PROGRAM
                                          << command << " --launch-rate 4 \\n\n";
    std::vector<std::string> asUser;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(home.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown((home / ".xscreensaver").c_str(), 65534, 65534), 0);
        asUser = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    const std::vector<std::string> environment{x.DisplayVariable(), "HOME=" + home.string(), "FIREWORKS_TRACE=stdout"};
    auto run = [&](std::vector<std::string> argv) {
        argv.insert(argv.begin(), asUser.begin(), asUser.end());
        return argv;
    };
    ChildProcess manager;
    ASSERT_TRUE(manager.Start(run({"/usr/bin/xscreensaver", "-no-splash", "-verbose"}), environment));
    bool activated = false;
    for (const auto end = Clock::now() + 15s; Clock::now() < end && !activated;) {
        std::this_thread::sleep_for(500ms);
        activated = RunCommand(run({"/usr/bin/xscreensaver-command", "-activate"}), environment).exitCode == 0;
    }
    ASSERT_TRUE(activated) << manager.Stderr();
    // The manager's output carries the show's trace: it draws in the manager's full-screen window.
    ASSERT_TRUE(manager.WaitForLine("auto launch", 20s)) << manager.Stderr();
    ASSERT_TRUE(manager.WaitForLine("size 1024x768", 5s)) << manager.Stderr();
    const std::string log = manager.Stderr();
    std::smatch forked;
    ASSERT_TRUE(std::regex_search(log, forked, std::regex("forked \"[^\"]*fireworks[^\"]*\" in pid ([0-9]+)"))) << log;
    const int pid = std::stoi(forked[1].str());

    ASSERT_EQ(RunCommand(run({"/usr/bin/xscreensaver-command", "-deactivate"}), environment).exitCode, 0);
    const auto asked = Clock::now();
    bool ended = false;
    while (Clock::now() - asked < 3s && !ended) {
        ended = ::kill(pid, 0) != 0 && errno == ESRCH;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(ended) << "the show outlived its screensaver";
    manager.Terminate(5s);
    // The show ended as asked: not by a crash or a failure the manager reports, and without a word.
    EXPECT_EQ(manager.Stderr().find("abnormally"), std::string::npos) << manager.Stderr();
    EXPECT_EQ(manager.Stderr().find("fireworks:"), std::string::npos) << manager.Stderr();
    fs::remove_all(home);
}

} // namespace
