#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RegularFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QtGlobal>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::string write(const std::string& name, const std::string& content)
    {
        const std::string path = m_dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    QTemporaryDir m_dir;
};

TEST_F(ProfileTest, ReadsWithTheMonitoringSystemsRules)
{
    const std::string ini = write("ORPA.INI", "; comment\r\n"
                                              "[Connection]\r\n"
                                              "  network = 002  \r\n"
                                              "Network=003\r\n"
                                              "LastNetwork=\r\n"
                                              "[install]\r\n"
                                              "ZULDir=\"C:\\ZUL\\\"\r\n"
                                              "PageBreak=12abc\r\n"
                                              "Negative=-7\r\n"
                                              "List=a,b,c\r\n");
    EXPECT_EQ(GetPrivateProfileString("CONNECTION", "Network", "x", ini), "002") << "case-insensitive, trimmed, first wins";
    EXPECT_EQ(GetPrivateProfileString("Connection", "LastNetwork", "x", ini), "") << "present but empty";
    EXPECT_EQ(GetPrivateProfileString("Connection", "Missing", "dflt", ini), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Nowhere", "Network", "dflt", ini), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Install", "ZULDir", "", ini), "C:\\ZUL\\") << "quotes removed";
    EXPECT_EQ(GetPrivateProfileString("Install", "List", "", ini), "a,b,c") << "commas are not lists";
    EXPECT_EQ(GetPrivateProfileInt("Install", "PageBreak", 0, ini), 12);
    EXPECT_EQ(GetPrivateProfileInt("Install", "Negative", 0, ini), -7);
    EXPECT_EQ(GetPrivateProfileInt("Install", "List", 5, ini), 5);
    EXPECT_EQ(GetPrivateProfileString("A", "B", "gone", ini + ".missing"), "gone");
}

TEST_F(ProfileTest, WritingAKeyChangesOnlyItsLine)
{
    const std::string before = "[Systeminfo]\r\nTimeZone=CET\r\n\r\n[QEBCtrl]\r\n TxtMode = 0 ; keep\r\nOther=1\r\n"
                               "[VELT]\r\nPageBreak=0";
    const std::string ini = write("ORPA.INI", before);
    ASSERT_TRUE(WritePrivateProfileString("qebctrl", "TXTMODE", "1", ini));
    const std::string after = read(ini);
    EXPECT_EQ(after, "[Systeminfo]\r\nTimeZone=CET\r\n\r\n[QEBCtrl]\r\n TxtMode =1\r\nOther=1\r\n[VELT]\r\nPageBreak=0");
    EXPECT_EQ(GetPrivateProfileString("QEBCtrl", "TxtMode", "", ini), "1");
}

TEST_F(ProfileTest, WritingAddsMissingKeysAndSections)
{
    const std::string ini = write("ORPA.INI", "[QEBCtrl]\nOther=1\n\n[VELT]\nPageBreak=0\n");
    ASSERT_TRUE(WritePrivateProfileString("QEBCtrl", "TxtMode", "1", ini));
    EXPECT_EQ(read(ini), "[QEBCtrl]\nOther=1\nTxtMode=1\n\n[VELT]\nPageBreak=0\n");
    ASSERT_TRUE(WritePrivateProfileString("New", "Key", "v", ini));
    EXPECT_EQ(read(ini), "[QEBCtrl]\nOther=1\nTxtMode=1\n\n[VELT]\nPageBreak=0\n[New]\nKey=v\n");
    EXPECT_FALSE(WritePrivateProfileString("A", "B", "C", m_dir.path().toStdString() + "/no/such/folder/x.ini"));
}

// The file is replaced through a temporary file of the writer's own: it keeps
// its permissions, nothing is left beside it, and whatever lies at another
// temporary name (a FIFO here, which would block an open for writing) is not touched.
TEST_F(ProfileTest, AWrittenProfileKeepsItsPermissionsAndLeavesNothingBesideIt)
{
    const std::string ini = write("ORPA.INI", "[VELT]\nPageBreak=0\n");
    ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
    ASSERT_EQ(mkfifo((ini + ".tmp").c_str(), 0600), 0);
    ASSERT_TRUE(WritePrivateProfileString("VELT", "PageBreak", "1", ini));
    EXPECT_EQ(read(ini), "[VELT]\nPageBreak=1\n");
    struct stat info {};
    ASSERT_EQ(stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot),
              (QStringList{"ORPA.INI", "ORPA.INI.tmp"}));
}

TEST_F(ProfileTest, FilesAreFoundWithoutRegardToCase)
{
    write("orpa.ini", "[Install]\nDATADir=data/\n");
    const QByteArray previous = qgetenv("ORPA_HOME");
    qputenv("ORPA_HOME", m_dir.path().toUtf8());
    EXPECT_EQ(OrpaIniFile(), m_dir.path().toStdString() + "/orpa.ini");
    EXPECT_EQ(DataDirectory(), m_dir.path().toStdString() + "/data/") << "relative to the home folder";
    EXPECT_EQ(QebTypeIniFile(), m_dir.path().toStdString() + "/QebType.ini") << "the given case when missing";
    EXPECT_EQ(ExportDirectory(), m_dir.path().toStdString() + "/") << "no EXPDir: the home folder";
    write("orpa.ini", "[Install]\nEXPDir=/var/export/\n");
    EXPECT_EQ(ExportDirectory(), "/var/export/");
    qputenv("ORPA_HOME", previous);
}

} // namespace

// A folder, a FIFO or a device where a profile or any other file is expected
// is refused before it is opened: reads give the defaults, writes do not
// touch it, and nothing blocks.
TEST_F(ProfileTest, WhatIsNotARegularFileIsNeitherReadNorWritten)
{
    const std::string folder = m_dir.path().toStdString() + "/ORPA.INI";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    EXPECT_EQ(GetPrivateProfileString("Connection", "Network", "none", folder), "none");
    EXPECT_FALSE(WritePrivateProfileString("Connection", "Network", "002", folder));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder)).isDir());

    const std::string fifo = m_dir.path().toStdString() + "/USER.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    static std::vector<std::string> warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        warnings.push_back(text.toStdString());
    });
    EXPECT_EQ(GetPrivateProfileString("intl", "sList", ",", fifo), ",");
    EXPECT_EQ(GetPrivateProfileString("intl", "sDecimal", ".", fifo), ".");
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, std::vector<std::string>{fifo + " is not a regular file (a FIFO)"}) << "named once, not at every key";

    FileProblem problem = FileProblem::None;
    EXPECT_FALSE(ReadRegularFile(fifo, 100, &problem));
    EXPECT_EQ(problem, FileProblem::NotRegular);
    EXPECT_EQ(DescribeFileProblem(folder, FileProblem::NotRegular, 100), folder + " is a folder");
    EXPECT_EQ(DescribeFileProblem(fifo, FileProblem::NotRegular, 100), fifo + " is not a regular file (a FIFO)");
    EXPECT_FALSE(ReadRegularFile("/dev/zero", 100, &problem));
    EXPECT_EQ(problem, FileProblem::NotRegular);

    const std::string big = write("big.ini", std::string(101, 'x'));
    EXPECT_FALSE(ReadRegularFile(big, 100, &problem));
    EXPECT_EQ(problem, FileProblem::TooLarge);
    EXPECT_EQ(DescribeFileProblem(big, problem, 100), big + " is 101 bytes, more than 100");
    EXPECT_EQ(ReadRegularFile(big, 101), std::string(101, 'x'));
    EXPECT_FALSE(ReadRegularFile(big + ".missing", 100, &problem));
    EXPECT_EQ(problem, FileProblem::Missing);
}

namespace {

// A profile read again for each key would make every job as slow as its
// largest profile; one read per version of the file is enough, and every
// kind of change to the file must still be seen.
class ProfileCacheTest : public ProfileTest {
protected:
    static constexpr const char* Content = "[Install]\nZULDir=/zul/\nDATADir=/data/\n";

    // A profile last changed an hour ago, as the plant's files are.
    std::string settledProfile(const std::string& content = Content)
    {
        const std::string path = write("ORPA.INI", content);
        setBackAnHour(path);
        return path;
    }
    static void setBackAnHour(const std::string& path)
    {
        timespec modified = modifiedOf(path);
        modified.tv_sec -= 3600;
        setModified(path, modified);
    }
    static void setModified(const std::string& path, const timespec& when)
    {
        const timespec times[2] = {when, when};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    static timespec modifiedOf(const std::string& path)
    {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_mtim;
    }
    // Rewrites the file's bytes in place (same file, same size) and puts its
    // modification time back, as a program that keeps the times would.
    static void rewriteInPlaceKeepingTimes(const std::string& path, const std::string& content)
    {
        const timespec modified = modifiedOf(path);
        std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out) << content;
        setModified(path, modified);
    }
    static std::string zulDir(const std::string& path) { return GetPrivateProfileString("Install", "ZULDir", "-", path); }
};

TEST_F(ProfileCacheTest, AnUnchangedFileIsReadOnceForAllItsKeys)
{
    const std::string ini = settledProfile();
    const uint64_t before = ProfileFileReads();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(zulDir(ini), "/zul/");
        EXPECT_EQ(GetPrivateProfileString("install", "datadir", "-", ini), "/data/");
        EXPECT_EQ(GetPrivateProfileString("Install", "Missing", "-", ini), "-");
    }
    EXPECT_EQ(ProfileFileReads() - before, 1u);
}

TEST_F(ProfileCacheTest, EveryChangeToTheFileIsSeen)
{
    const std::string ini = settledProfile();
    ASSERT_EQ(zulDir(ini), "/zul/");

    ASSERT_TRUE(WritePrivateProfileString("Install", "ZULDir", "/own/", ini));
    EXPECT_EQ(zulDir(ini), "/own/") << "a write by this process";

    setBackAnHour(ini);
    ASSERT_EQ(zulDir(ini), "/own/");
    std::ofstream(ini, std::ios::binary | std::ios::trunc) << "[Install]\nZULDir=/other/\n";
    EXPECT_EQ(zulDir(ini), "/other/") << "a write by another program";

    setBackAnHour(ini);
    ASSERT_EQ(zulDir(ini), "/other/");
    rewriteInPlaceKeepingTimes(ini, "[Install]\nZULDir=/again/\n");
    EXPECT_EQ(zulDir(ini), "/again/") << "same file, size and modification time; only the change time moved";

    const std::string replacement = write("ORPA.INI.new", "[Install]\nZULDir=/swap!/\n");
    setModified(replacement, modifiedOf(ini));
    ASSERT_EQ(std::rename(replacement.c_str(), ini.c_str()), 0);
    EXPECT_EQ(zulDir(ini), "/swap!/") << "replaced by another file of the same size and times";

    ASSERT_EQ(std::remove(ini.c_str()), 0);
    EXPECT_EQ(zulDir(ini), "-") << "a file that disappeared";
    write("ORPA.INI", "[Install]\nZULDir=/back/\n");
    EXPECT_EQ(zulDir(ini), "/back/");
}

TEST_F(ProfileCacheTest, AFileChangedJustNowIsReadForEveryKey)
{
    // Rewritten within the same tick of the file system's clock, the file
    // would keep every time it had; only reading it again can tell.
    const std::string ini = write("ORPA.INI", Content);
    ASSERT_EQ(zulDir(ini), "/zul/");
    rewriteInPlaceKeepingTimes(ini, "[Install]\nZULDir=/new/\n");
    EXPECT_EQ(zulDir(ini), "/new/");
}

} // namespace
