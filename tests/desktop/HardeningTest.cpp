// SPDX-License-Identifier: GPL-3.0-or-later
// The program and its applet, as the build made them, carry Debian's hardening set: a
// position-independent program, relocations made read-only and bound at start, the stack
// protector and checked libc calls. Read from the files themselves with readelf.
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString ReadElf(const QString& path)
{
    QProcess p;
    p.start("readelf",
            {"-W", "--file-header", "--program-headers", "--dynamic", "--dyn-syms", path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(Hardening, ProgramAndAppletCarryTheHardeningSet)
{
    struct Binary
    {
        const char* name;
        const char* type; // of the ELF header
        bool bProgram;
    };
    const Binary binaries[] = {
        {"nuvbrowser", "DYN (Position-Independent Executable file)", true},
        {"nuvbrowser-bin", "DYN (Position-Independent Executable file)", true},
        {"ioptions.cpl", "DYN (Shared object file)", false},
    };
    const auto has = [](const QString& text, const char* pattern) {
        return text.contains(
            QRegularExpression(QString::fromLatin1(pattern), QRegularExpression::MultilineOption));
    };
    for (const Binary& b : binaries) {
        SCOPED_TRACE(b.name);
        const QString elf = ReadElf(QStringLiteral(NUV_BINARY_DIR "/") + b.name);
        ASSERT_FALSE(elf.isEmpty()) << "readelf could not read it";
        EXPECT_TRUE(elf.contains(QStringLiteral("Type:                              ") + b.type));
        EXPECT_TRUE(has(elf, "^\\s*GNU_RELRO\\s")) << "relocations made read-only";
        EXPECT_TRUE(has(elf, "\\(FLAGS\\)\\s+.*\\bBIND_NOW\\b")) << "bound at start";
        EXPECT_EQ(has(elf, "\\(FLAGS_1\\)\\s+Flags:.*\\bPIE\\b"), b.bProgram);
        EXPECT_TRUE(has(elf, "\\bUND __stack_chk_fail@")) << "stack protector";
        EXPECT_TRUE(has(elf, "\\bUND __(?!stack_)\\w+_chk@")) << "checked libc calls";
    }
}

} // namespace
