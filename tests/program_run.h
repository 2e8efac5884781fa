#pragma once
// End-to-end tests: the delve program run headless with a fast clock on an
// input script, in a temporary folder, judged by its state dump.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"

namespace delve::test {

// The value after "key": in a dump, from `from` on, without its quotes.
inline std::string dumpField(const std::string& json, const std::string& key, size_t from = 0) {
    size_t at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return "<missing " + key + ">";
    at += key.size() + 4;
    std::string v = json.substr(at, json.find_first_of(",}\n", at) - at);
    if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.size() - 2);
    return v;
}
// A field of the dump's hero object.
inline std::string heroField(const std::string& json, const std::string& key) {
    return dumpField(json, key, json.find("\"hero\""));
}

// Builds an input script one tap per two frames from frame 1 on.
struct Typist {
    std::string text;
    int frame = 1;
    void at(int f, const std::string& event) { text += std::to_string(f) + " " + event + "\n"; }
    void hold(int vk, int frames) {
        at(frame, "down " + std::to_string(vk));
        at(frame + frames, "up " + std::to_string(vk));
        frame += frames + 1;
    }
    void tap(int vk) { hold(vk, 1); }
    void type(const std::string& line) {
        for (char c : line)
            tap(c == ' '               ? Vk::Space
                : c >= '0' && c <= '9' ? Vk::Digit0 + (c - '0')
                                       : Vk::LetterA + (c - 'a'));
    }
};

class ProgramRun : public ::testing::Test {
protected:
    explicit ProgramRun(const char* program = "delve") : name_(program) {}
    void SetUp() override {
        const char* bin = std::getenv("DELVE_BIN");
        const char* data = std::getenv("DELVE_TEST_DATA");
        program_ = std::filesystem::path(bin ? bin : DELVE_BUILD_DIR) / name_;
        dataDir_ = data ? data : DELVE_BUILD_DIR "/data";
        ASSERT_TRUE(std::filesystem::exists(program_)) << program_;
        work_ = std::filesystem::temp_directory_path() /
                (name_ + "-e2e-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(work_);
        std::filesystem::create_directories(work_);
        slots_ = work_ / "slots";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(work_, ec);
    }

    // Runs `frames` frames of the world of `seed` on the input `script`;
    // returns the state dump, empty when the program failed.
    std::string run(const std::string& script, int frames, uint32_t seed,
                    const std::string& extra = "") {
        std::ofstream(work_ / "input.txt") << script;
        std::filesystem::remove(work_ / "dump.json");
        const std::string args = "--headless --fast-clock --seed " + std::to_string(seed) +
                                 " --frames " + std::to_string(frames) + " --input " +
                                 at("input.txt") + " --save-dir " + slots_.string() +
                                 " --dump-state " + at("dump.json") + " " + extra;
        std::string err;
        if (launch("", args, err) != 0) {
            ADD_FAILURE() << args << "\n" << err;
            return "";
        }
        return slurp(work_ / "dump.json");
    }

    std::string at(const std::string& name) const { return (work_ / name).string(); }
    static std::string slurp(const std::filesystem::path& p) {
        std::stringstream s;
        s << std::ifstream(p).rdbuf();
        return s.str();
    }

    // Runs the program with `env` before it and `args` after it, 20 s at most
    // (a hang fails instead of stalling the test); returns its exit status
    // and fills `err` with what it wrote on stderr. Its stdout goes to
    // `stdoutTo`, else to out.txt in the work folder (see printed()).
    int launch(const std::string& env, const std::string& args, std::string& err,
               const std::string& stdoutTo = "") {
        const std::string cmd = env + " timeout 20 " + program_.string() + " --data-dir " +
                                dataDir_ + " " + args + " > " +
                                (stdoutTo.empty() ? at("out.txt") : stdoutTo) + " 2> " +
                                at("err.txt");
        const int status = std::system(cmd.c_str());
        err = slurp(work_ / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string printed() const { return slurp(work_ / "out.txt"); }

    std::string name_;
    std::filesystem::path program_, work_, slots_;
    std::string dataDir_;
};

} // namespace delve::test
