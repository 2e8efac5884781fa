#include "platform/files.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace delve {
namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("delve-files-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        setFileFaultHook(nullptr);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static std::vector<uint8_t> pattern(size_t n) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 251);
        return v;
    }
    static void put(const std::string& p, const std::vector<uint8_t>& bytes) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    static std::vector<uint8_t> get(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir_;
};

// Every read and write is cut to a few bytes and every other call is
// interrupted; the bytes must still arrive whole.
TEST_F(Files, ShortTransfersAndInterruptedCallsMoveEveryByte) {
    const auto bytes = pattern(100003);
    int calls = 0;
    setFileFaultHook([&](FileOp op) {
        FileFault f;
        if (op != FileOp::Read && op != FileOp::Write) return f;
        if (++calls % 2 == 0) f.error = EINTR;
        f.limit = 997;
        return f;
    });
    ASSERT_EQ(replaceFile(path("a"), bytes.data(), bytes.size()), 0);
    const int writeCalls = calls;
    EXPECT_GT(writeCalls, 200); // 101 short writes, as many interruptions
    EXPECT_EQ(get(path("a")), bytes);

    std::vector<uint8_t> back;
    ASSERT_EQ(readWholeFile(path("a"), back, 1 << 20), 0);
    EXPECT_EQ(back, bytes);
    File f;
    ASSERT_EQ(openForReading(path("a"), f), 0);
    std::vector<uint8_t> part(5000);
    ASSERT_EQ(readExactlyAt(f, 90000, part.data(), part.size()), 0);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), bytes.begin() + 90000));
    size_t got = 0;
    ASSERT_EQ(readAt(f, 99000, part.data(), part.size(), got), 0);
    EXPECT_EQ(got, 1003u); // the end of the file, not an error
    EXPECT_EQ(readExactlyAt(f, 99000, part.data(), part.size()), FileCutShort);
}

TEST_F(Files, AFullDiskIsReportedInWords) {
    File full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    ASSERT_TRUE(full.isOpen());
    const auto bytes = pattern(10);
    const int err = writeAll(full, bytes.data(), bytes.size());
    EXPECT_EQ(err, ENOSPC);
    EXPECT_EQ(errorText(err), "no space left on device");
    EXPECT_EQ(errorText(NotRegularFile), "not a regular file");
}

// Special files where a regular one belongs are refused at once, never
// waited on; the test fails by timing out if an open blocks.
TEST_F(Files, FifosDevicesAndFoldersAreRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    auto run = std::async(std::launch::async, [&] {
        std::vector<uint8_t> out;
        return std::vector<int>{readWholeFile(path("fifo"), out, 100),
                                readWholeFile("/dev/zero", out, 100),
                                readWholeFile(dir_.string(), out, 100),
                                readWholeFile(path("missing"), out, 100)};
    });
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "opening a FIFO blocked";
    EXPECT_EQ(run.get(), (std::vector<int>{NotRegularFile, NotRegularFile, NotRegularFile, ENOENT}));

    // A stream the user names is read to its end, but only up to the limit.
    std::vector<uint8_t> out;
    EXPECT_EQ(readWholeStream("/dev/zero", out, 1 << 16), FileTooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(readWholeStream(dir_.string(), out, 1 << 16), EISDIR);
    put(path("small"), pattern(300));
    EXPECT_EQ(readWholeFile(path("small"), out, 299), FileTooLarge);
    EXPECT_EQ(readWholeStream(path("small"), out, 300), 0);
    EXPECT_EQ(out, pattern(300));
}

// A link planted at the temporary name must not redirect the write: the
// link's target stays as it was and the real file gets the bytes.
TEST_F(Files, ALinkAtTheTemporaryNameIsRemovedNotFollowed) {
    const auto victim = pattern(50);
    put(path("victim"), victim);
    fs::create_symlink(path("victim"), path("out.tmp"));
    const auto bytes = pattern(1234);
    ASSERT_EQ(replaceFile(path("out"), bytes.data(), bytes.size()), 0);
    EXPECT_EQ(get(path("victim")), victim);
    EXPECT_EQ(get(path("out")), bytes);
    EXPECT_FALSE(fs::exists(fs::symlink_status(path("out.tmp"))));

    // A FIFO at the temporary name is replaced as well, without blocking.
    ASSERT_EQ(::mkfifo(path("out.tmp").c_str(), 0600), 0);
    ASSERT_EQ(replaceFile(path("out"), victim.data(), victim.size()), 0);
    EXPECT_EQ(get(path("out")), victim);

    // A folder at the temporary name cannot be removed: the save fails, the
    // old file stays, the folder stays.
    fs::create_directory(path("out.tmp"));
    EXPECT_NE(replaceFile(path("out"), bytes.data(), bytes.size()), 0);
    EXPECT_EQ(get(path("out")), victim);
    EXPECT_TRUE(fs::is_directory(path("out.tmp")));
}

} // namespace
} // namespace delve
