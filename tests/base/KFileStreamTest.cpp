#include "base/KFile.h"
#include "base/KFileStream.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class KFileStreamTest : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return m_folder.Path() + name; }

    void WriteFile(const std::string& path, const std::string& bytes)
    {
        KFileStream out;
        ASSERT_EQ(out.Open(KFile(path.c_str()), FOM_WRITE), 0);
        ASSERT_EQ(out.Write(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
        out.Close();
    }

    ScratchFolder m_folder;
};

TEST_F(KFileStreamTest, WriteThenReadBack)
{
    const std::string path = PathOf("data.bin");
    std::string bytes(1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    WriteFile(path, bytes);

    KFile file(path.c_str());
    EXPECT_TRUE(file.Exists());
    EXPECT_EQ(file.GetSize(), 1000u);
    EXPECT_EQ(file.GetPath(), path);

    KFileStream in;
    ASSERT_EQ(in.Open(file, FOM_READBYTES), 0);
    EXPECT_EQ(in.GetSize(), 1000);
    std::vector<char> head(10);
    EXPECT_EQ(in.Read(head.data(), 10), 10);
    EXPECT_EQ(in.GetSize(), 1000) << "asking the size twice";
    std::vector<char> rest(5000);
    EXPECT_EQ(in.Read(rest.data(), 5000), 990) << "GetSize must not move the position";
    EXPECT_EQ(std::string(head.data(), 10) + std::string(rest.data(), 990), bytes);
    EXPECT_EQ(in.Read(rest.data(), 10), 0) << "end of file";
}

TEST_F(KFileStreamTest, FailuresAreQuietValues)
{
    const KFile missing(PathOf("missing.cfg").c_str());
    EXPECT_FALSE(missing.Exists());
    EXPECT_EQ(missing.GetSize(), 0u);
    EXPECT_FALSE(KFile("").Exists());

    KFileStream stream;
    EXPECT_EQ(stream.Open(missing, FOM_READ), -1);
    EXPECT_FALSE(stream.IsOpen());
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_EQ(stream.Write(buffer, 4), 0);
    EXPECT_EQ(stream.GetSize(), 0);
    stream.Close();
    EXPECT_EQ(stream.Open(KFile(m_folder.Path().c_str()), FOM_WRITE), -1) << "a folder cannot be written";
    EXPECT_EQ(stream.Open(missing, static_cast<KFileOpenMode>(9)), -1);

    // A size past the int result reads 0 (a sparse file of 3 GiB).
    const std::string huge = PathOf("huge.bin");
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, 3ull << 30);
    ASSERT_EQ(stream.Open(KFile(huge.c_str()), FOM_READ), 0);
    EXPECT_EQ(stream.GetSize(), 0);
}

TEST_F(KFileStreamTest, NameWithByteOrderMarkAndNonAsciiLetters)
{
    // Created by name bytes directly: a name without a mark would be read as
    // ANSI by KFile.
    const std::string utf8Name = PathOf("caf\xC3\xA9.cfg");
    std::ofstream(utf8Name) << "x";
    const std::string marked = "\xEF\xBB\xBF" + utf8Name;
    EXPECT_TRUE(KFile(marked.c_str()).Exists());
    const std::string ansiName = PathOf("caf\xE9.cfg");
    EXPECT_TRUE(KFile(ansiName.c_str()).Exists()) << "ANSI names reach the file system as UTF-8";
}

TEST_F(KFileStreamTest, AppendAddsAtTheEndAndASecondOpenIsRefused)
{
    const std::string path = PathOf("log.txt");
    WriteFile(path, "ab");
    KFileStream stream;
    ASSERT_EQ(stream.Open(KFile(path.c_str()), FOM_APPEND), 0);
    EXPECT_EQ(stream.Open(KFile(path.c_str()), FOM_READ), -1);
    EXPECT_EQ(stream.Write("cd", 2), 2) << "the first open stays usable";
    EXPECT_EQ(stream.GetSize(), 4);
    stream.Close();
    EXPECT_EQ(KFile(path.c_str()).GetSize(), 4u);
}

} // namespace
