#include "foundation/DataAdditions.h"

#include <gtest/gtest.h>

using namespace knvt;

TEST(Base64, EncodesOnOneLineWithPadding)
{
    EXPECT_EQ(base64Encoded(""), "");
    EXPECT_EQ(base64Encoded("f"), "Zg==");
    EXPECT_EQ(base64Encoded("fo"), "Zm8=");
    EXPECT_EQ(base64Encoded("foo"), "Zm9v");
    EXPECT_EQ(base64Encoded("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64Encoded(QByteArray("\xfb\xff\xbf", 3)), "+/+/");
    const QString encoded = base64Encoded(QByteArray(100, 'x'));
    EXPECT_EQ(encoded.size(), 136);
    EXPECT_FALSE(encoded.contains(u'\n'));
}

TEST(Base64, DecodingSkipsForeignBytesStopsAtThePadAndDropsAnUnpaddedTail)
{
    EXPECT_EQ(base64Decoded(" Zm9v\r\nYm\tE=\n"), "fooba");
    EXPECT_EQ(base64Decoded("Zm-9_vY\x80mFy"), "foobar");
    EXPECT_EQ(base64Decoded("+/+/"), QByteArray("\xfb\xff\xbf", 3));
    EXPECT_EQ(base64Decoded("Zg=="), "f");
    EXPECT_EQ(base64Decoded("TWE"), "");          // unpadded group of three characters
    EXPECT_EQ(base64Decoded("Zm9vYg"), "foo");    // unpadded group of two characters
    EXPECT_EQ(base64Decoded("TWE=TQ=="), "Ma");   // everything after the first "=" is ignored
    EXPECT_EQ(base64Decoded("Zm9v=Zm9v"), "foo"); // "=" starting a group adds nothing
    EXPECT_EQ(base64Decoded("Zm9vZ="), "foo");    // a single character cannot spell a byte
    EXPECT_TRUE(base64Decoded(" \n-_").isEmpty());
}

TEST(Base64, RoundTripsEveryLengthAndByteValue)
{
    QByteArray data;
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(base64Decoded(base64Encoded(data).toLatin1()), data) << "length " << i;
        data.append(static_cast<char>(i * 7));
    }
}

TEST(Digests, MatchTheMd5AndSha1TestVectors)
{
    EXPECT_EQ(hexStringValue(md5Digest("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hexStringValue(md5Digest("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hexStringValue(md5Digest("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(hexStringValue(md5Digest(QByteArray("1234567890").repeated(8))), "57edf4a22be3c955ac49da2e2107b67a");
    EXPECT_EQ(hexStringValue(sha1Digest("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(hexStringValue(sha1Digest("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(hexStringValue(sha1Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(hexStringValue(sha1Digest(QByteArray(1000000, 'a'))), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(md5Digest("x").size(), 16);
    EXPECT_EQ(sha1Digest("x").size(), 20);
}

TEST(DataAdditions, HexStringAndFormBody)
{
    EXPECT_EQ(hexStringValue(QByteArray("\x00\xab\xf0", 3)), "00abf0");
    EXPECT_EQ(hexStringValue(QByteArray()), "");

    EXPECT_TRUE(HTTPBodyDataWithFormParameters({}).isEmpty());
    EXPECT_EQ(HTTPBodyDataWithFormParameters({{"z", "1"}, {"a", "x y&z=w"}, {"m[n]", "caf\u00e9 \u2019s"}}),
              "z=1&a=x%20y%26z%3Dw&m[n]=caf%C3%A9%20%E2%80%99s");
    EXPECT_EQ(HTTPBodyDataWithFormParameters({{"\u00fc", ""}}), "\xc3\xbc=");
}
