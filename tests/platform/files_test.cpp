#include "platform/output_file.h"

#include "platform/digest.h"
#include "platform/file_store.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
    EXPECT_GT(calls, 200); // 101 short writes, as many interruptions
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

// Special files (FIFOs, devices, folders) where a regular one belongs are
// refused at once, never waited on; the test fails by timing out if an open blocks.
TEST_F(Files, SpecialFilesAreRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    auto run = std::async(std::launch::async, [&] {
        std::vector<uint8_t> out;
        return std::vector<int>{readWholeFile(path("fifo"), out, 100), readWholeFile(path("missing"), out, 100)};
    });
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "opening a FIFO blocked";
    EXPECT_EQ(run.get(), (std::vector<int>{NotRegularFile, ENOENT}));

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

// Whatever a user keeps at "<name>.tmp" (a file, a link to another) is not
// the output's business: the output is written, that name untouched.
TEST_F(Files, AUsersOwnTmpFileIsNeverTouched) {
    const auto victim = pattern(50), bytes = pattern(1234);
    put(path("victim"), victim);
    put(path("a.tmp"), victim);
    fs::create_symlink(path("victim"), path("b.tmp"));
    for (const char* name : {"a", "b"}) {
        ASSERT_EQ(replaceFile(path(name), bytes.data(), bytes.size()), 0) << name;
        EXPECT_EQ(get(path(name)), bytes) << name;
    }
    EXPECT_EQ(get(path("a.tmp")), victim);
    EXPECT_EQ(get(path("victim")), victim);
    EXPECT_TRUE(fs::is_symlink(path("b.tmp")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 5); // no temporary file left
}

// One rule for every output: a new name, a regular file, or a link to one is
// written; anything else is refused untouched, with words that say what it is.
TEST_F(Files, OutputsGoToRegularFilesOnly) {
    const auto old = pattern(40), bytes = pattern(700);
    // A character device: as root a node of the test's own (never a system one), else /dev/null.
    const bool ownDevice = ::mknod(path("device").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    const std::string device = ownDevice ? path("device") : "/dev/null";
    put(path("file"), old);
    fs::create_symlink(path("file"), path("link"));
    fs::create_directory(path("folder"));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_symlink(path("fifo"), path("to-fifo"));
    fs::create_symlink(path("nothing"), path("dangling"));

    struct Case {
        std::string name;
        int error;
        const char* words;
    };
    const Case refused[] = {
        {path("folder"), EISDIR, "is a folder"},
        {path("fifo"), NotRegularFile, "is a named pipe (FIFO)"},
        {device, NotRegularFile, "is a character device"},
        {path("to-fifo"), NotRegularFile, "is a link to a named pipe (FIFO)"},
        {path("dangling"), ENOENT, "is a link to nothing"},
        {path("missing/out"), ENOENT, "no such file or directory"},
        {path("file") + "/out", ENOTDIR, "not a directory"},
    };
    auto run = std::async(std::launch::async, [&] {
        std::vector<int> got;
        for (const Case& c : refused) got.push_back(replaceFile(c.name, bytes.data(), bytes.size()));
        return got;
    });
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "an output blocked on a FIFO";
    const std::vector<int> got = run.get();
    for (size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_EQ(got[i], refused[i].error) << refused[i].name;
        EXPECT_EQ(fileErrorText(refused[i].name, got[i]), refused[i].words) << refused[i].name;
    }
    EXPECT_TRUE(fs::is_fifo(path("fifo")));
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_symlink(path("to-fifo")));
    EXPECT_TRUE(fs::is_empty(path("folder")));
    EXPECT_FALSE(fs::exists(path("nothing")));

    // Through the link: the file it names is replaced and the link stays.
    ASSERT_EQ(replaceFile(path("link"), bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(fs::is_symlink(path("link")));
    EXPECT_EQ(get(path("file")), bytes);
    ASSERT_EQ(replaceFile(path("new"), old.data(), old.size()), 0);
    EXPECT_EQ(get(path("new")), old);
}

// A failed write leaves the old file as it was and no temporary file; a
// replaced file keeps its permissions.
TEST_F(Files, AFailedOutputLeavesTheOldFileAndNoTrace) {
    const auto old = pattern(100), bytes = pattern(50000);
    File full(::open("/dev/full", O_WRONLY | O_CLOEXEC)); // a real full disk, in words
    EXPECT_EQ(errorText(writeAll(full, bytes.data(), bytes.size())), "no space left on device");
    put(path("out"), old);
    ::chmod(path("out").c_str(), 0640);
    int writes = 0;
    setFileFaultHook([&](FileOp op) {
        FileFault f;
        if (op == FileOp::Write && ++writes > 2) f.error = ENOSPC;
        f.limit = 4096;
        return f;
    });
    EXPECT_EQ(replaceFile(path("out"), bytes.data(), bytes.size()), ENOSPC);
    setFileFaultHook(nullptr);
    EXPECT_EQ(get(path("out")), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    ASSERT_EQ(replaceFile(path("out"), bytes.data(), bytes.size()), 0);
    EXPECT_EQ(get(path("out")), bytes);
    EXPECT_EQ(fs::status(path("out")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A new output never replaces a name that exists, nor writes through a link.
    fs::create_symlink(path("out"), path("link"));
    EXPECT_EQ(writeNewOutput(path("out"), old.data(), old.size()), EEXIST);
    EXPECT_EQ(writeNewOutput(path("link"), old.data(), old.size()), EEXIST);
    EXPECT_EQ(get(path("out")), bytes);
    ASSERT_EQ(writeNewOutput(path("fresh"), old.data(), old.size()), 0);
    EXPECT_EQ(get(path("fresh")), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

// An output's bytes reach the disk before its name does, and the name
// before the output counts as written: data flush, rename, folder flush, in
// that order. A failed flush of the data leaves the old file (or no file)
// and nothing else.
TEST_F(Files, AnOutputIsFlushedBeforeItIsRenamedAndTheFolderAfter) {
    const auto old = pattern(30), bytes = pattern(3000);
    using Write = int (*)(const std::string&, const void*, size_t);
    const std::pair<const char*, Write> outputs[] = {{"replace", replaceFile}, {"new", writeNewOutput}};
    for (const auto& [name, write] : outputs) {
        SCOPED_TRACE(name);
        const std::string out = path(name);
        std::string order; // S: a flush, R: a rename, L: a link
        setFileFaultHook([&](FileOp op) {
            if (op == FileOp::Sync || op == FileOp::Rename || op == FileOp::Link)
                order += op == FileOp::Sync ? 'S' : op == FileOp::Rename ? 'R' : 'L';
            return FileFault{};
        });
        ASSERT_EQ(write(out, bytes.data(), bytes.size()), 0);
        EXPECT_EQ(order, "SRS");
        fs::remove(out);

        if (write == replaceFile) put(out, old);
        int syncs = 0;
        setFileFaultHook([&](FileOp op) {
            FileFault f;
            if (op == FileOp::Sync && ++syncs == 1) f.error = EIO;
            return f;
        });
        EXPECT_EQ(write(out, bytes.data(), bytes.size()), EIO);
        setFileFaultHook(nullptr);
        if (write == replaceFile) EXPECT_EQ(get(out), old);
        else EXPECT_FALSE(fs::exists(out));
        fs::remove(out);
        EXPECT_TRUE(fs::is_empty(dir_)) << "a temporary file is left";
    }
}

// The published FNV-1a 64 values, and the same digest whether a buffer is
// taken whole, split at any byte, or ends anywhere inside an eight-byte read.
TEST(Digest, IsFnv1a64WhereverTheBytesAreCut) {
    auto of = [](const char* text) {
        return fnv1a64(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    };
    EXPECT_EQ(of(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(of("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(of("foobar"), 0x85944171f73967e8ull);
    std::vector<uint8_t> bytes(37);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 57 + 3);
    for (size_t n = 0; n <= bytes.size(); ++n) {
        uint64_t oneByOne = 0xcbf29ce484222325ull;
        for (size_t i = 0; i < n; ++i) oneByOne = fnv1a64(&bytes[i], 1, oneByOne);
        EXPECT_EQ(fnv1a64(bytes.data(), n), oneByOne) << n;
        for (size_t cut = 0; cut <= n; ++cut)
            ASSERT_EQ(fnv1a64(bytes.data() + cut, n - cut, fnv1a64(bytes.data(), cut)), oneByOne);
    }
}

// The memory store's digest, kept per block, is the digest of the bytes as
// they are after every kind of change: a write inside, across blocks and
// past the end, a cut, a growth, and bytes written through a handle.
TEST(MemoryFiles, ADigestKeptPerBlockFollowsEveryChange) {
    MemoryFiles m;
    std::vector<uint8_t> bytes(300000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 31 + 7);
    m.put("f", bytes.data(), bytes.size());
    const uint8_t patch[70000] = {1, 2, 3};
    const std::function<void()> changes[] = {
        [&] { m.writeAt("f", 200000, patch, 5); },
        [&] { m.writeAt("f", 65530, patch, 70000); },
        [&] { m.writeAt("f", 299990, patch, 100); },
        [&] { m.resize("f", 131072); },
        [&] { m.resize("f", 140000); },
        [&] { m.writeAt("f", 0, patch, 1); },
        [&] {
            int h = -1;
            ASSERT_EQ(m.createExclusive("g", h), 0);
            ASSERT_EQ(m.writeAll(h, patch, 3), 0);
            ASSERT_EQ(m.writeAll(h, bytes.data(), 100000), 0);
            ASSERT_EQ(m.close(h), 0);
            ASSERT_EQ(m.removeFile("f"), 0);
            ASSERT_EQ(m.renameFile("g", "f"), 0);
        },
    };
    for (size_t c = 0; c < std::size(changes); ++c) {
        SCOPED_TRACE(c);
        (void)m.digest("f"); // blocks kept from before the change
        changes[c]();
        const std::vector<uint8_t>& now = *m.bytes("f");
        EXPECT_EQ(m.digest("f"), fnv1a64(now.data(), now.size()));
        int h = -1;
        uint64_t read = 0;
        ASSERT_EQ(m.openForReading("f", h), 0);
        ASSERT_EQ(m.readDigested(h, now.size(), nullptr, read), 0);
        EXPECT_EQ(read, fnv1a64(now.data(), now.size()));
        EXPECT_EQ(m.readDigested(h, now.size() + 1, nullptr, read), FileCutShort);
        m.close(h);
    }
}

} // namespace
} // namespace delve
