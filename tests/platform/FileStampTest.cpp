// Telling whether a file changed: the hash of its bytes, and the stamp of size, time and hash.

#include "platform/FileStamp.h"
#include "platform/ContentHash.h"
#include "platform/TextFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

namespace {

TContentDigest DigestInPieces(const std::string& bytes, std::size_t piece) {
    TContentHash hash;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        hash.Add(std::string_view(bytes).substr(at, piece));
    return hash.Digest();
}

} // namespace

TEST(ContentHash, TheSameBytesGiveTheSameDigestHoweverTheyArrive) {
    std::mt19937 random(7);
    std::string bytes(1000, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    const TContentDigest whole = DigestInPieces(bytes, bytes.size());
    EXPECT_EQ(whole.Size, 1000);
    for (const std::size_t piece : {1u, 3u, 7u, 8u, 9u, 64u, 999u})
        EXPECT_EQ(DigestInPieces(bytes, piece), whole) << piece;
}

TEST(ContentHash, DifferentBytesOrLengthsGiveDifferentDigests) {
    const std::string base(100, 'x');
    const TContentDigest digest = DigestInPieces(base, 100);
    for (std::size_t i = 0; i < base.size(); ++i) {
        std::string changed = base;
        changed[i] = 'y';
        EXPECT_NE(DigestInPieces(changed, 100).Hash, digest.Hash) << i;
    }
    // A trailing zero byte is content, not padding.
    EXPECT_NE(DigestInPieces("a", 1).Hash, DigestInPieces(std::string("a\0", 2), 2).Hash);
    EXPECT_NE(DigestInPieces("", 1).Hash, DigestInPieces(std::string(1, '\0'), 1).Hash);
}

TEST(FileStamp, WhatWasWrittenOrReadMatchesAFreshStampOfTheFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("data.kvf").toStdString();
    EXPECT_EQ(StampFile(path), TFileStamp{}) << "an absent file";

    TTextFile out;
    out.OpenTextForWriting(path);
    for (int i = 0; i < 5000; ++i)
        out.WriteTextLine("line " + std::to_string(i));
    out.CloseTextFile();
    const std::optional<TFileStamp> written = StampFile(path, out.Digest());
    ASSERT_TRUE(written);
    EXPECT_EQ(StampFile(path), written);

    TTextFile in;
    in.OpenTextForReading(path);
    EXPECT_EQ(in.Digest(), written->Content);
    in.CloseTextFile();

    // Another program changes one byte, the size and the time staying the same.
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(10);
        file.put('#');
    }
    const std::optional<TFileStamp> now = StampFile(path);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->Content.Size, written->Content.Size);
    EXPECT_NE(now, written);
}
