// SPDX-License-Identifier: GPL-3.0-or-later
// The text and binary tokenizers on their own.
#include "platform/xfile/binary_tokenizer.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/text_tokenizer.h"
#include "tests/platform/xfile/xfile_test_helpers.h"

#include <gtest/gtest.h>

namespace {

using namespace xfile;

std::vector<Token> TokensOf(TokenSource& source)
{
    std::vector<Token> tokens;
    for (;;) {
        Token token;
        EXPECT_EQ(source.Next(token), DXFILE_OK);
        if (token.kind == TokenKind::End) {
            return tokens;
        }
        tokens.push_back(token);
    }
}

TEST(TextTokenizer, ClassifiesWordsNumbersAndKeywords)
{
    TextTokenizer tokenizer("Cube.001 3DSMesh -1.5e2 +7 -12 .5 ... nan array dword Template BYTE # note\n"
                            "\"a b\" <01234567-89ab-CDEF-0123-456789ABCDEF> // end\n{ } [ ] , ;");
    const std::vector<Token> tokens = TokensOf(tokenizer);
    std::vector<TokenKind> kinds;
    for (const Token& token : tokens) {
        kinds.push_back(token.kind);
    }
    using K = TokenKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::Name, K::Name, K::Float, K::Integer, K::Integer, K::Float, K::Ellipsis,
                                     K::Name, K::Array, K::Primitive, K::Template, K::Primitive, K::String, K::Guid,
                                     K::OpenBrace, K::CloseBrace, K::OpenBracket, K::CloseBracket, K::Comma,
                                     K::Semicolon}));
    ASSERT_EQ(tokens.size(), kinds.size());
    EXPECT_EQ(tokens[0].text, "Cube.001");
    EXPECT_EQ(tokens[2].real, -150.0);
    EXPECT_EQ(tokens[3].integer, 7);
    EXPECT_EQ(tokens[4].integer, -12);
    EXPECT_EQ(tokens[5].real, 0.5);
    EXPECT_EQ(tokens[9].primitive, PrimitiveType::Dword);
    EXPECT_EQ(tokens[11].primitive, PrimitiveType::Uchar);
    EXPECT_EQ(tokens[12].text, "a b");
    EXPECT_EQ(tokens[13].guid.Data1, 0x01234567u);
    EXPECT_EQ(tokens[13].guid.Data3, 0xcdefu);
    EXPECT_EQ(tokens[13].guid.Data4[0], 0x01u);
    EXPECT_EQ(tokens[13].guid.Data4[7], 0xefu);
}

TEST(TextTokenizer, RefusesMalformedGuids)
{
    GUID guid{};
    EXPECT_TRUE(ParseGuidText("3D82AB43-62DA-11cf-AB39-0020AF71E433", guid));
    EXPECT_EQ(guid, TID_D3DRMInfo);
    EXPECT_FALSE(ParseGuidText("3D82AB43-62DA-11cf-AB39-0020AF71E43", guid));
    EXPECT_FALSE(ParseGuidText("3D82AB43+62DA-11cf-AB39-0020AF71E433", guid));
    EXPECT_FALSE(ParseGuidText("3D82AB43-62DA-11cf-AB39-0020AF71E43Z", guid));
    EXPECT_FALSE(ParseGuidText("", guid));
}

TEST(BinaryTokenizer, HandsOutListsValueByValueAndSkipsEmptyOnes)
{
    xfile_test::BinaryWriter writer("");
    writer.Integers({}).Integers({5, 0xffffffffu}).Floats({0.5f}).Name("N").Integer(3).String("s").Close();
    BinaryTokenizer tokenizer(writer.Bytes(), 4);
    const std::vector<Token> tokens = TokensOf(tokenizer);
    ASSERT_EQ(tokens.size(), 7u);
    EXPECT_EQ(tokens[0].kind, TokenKind::Integer);
    EXPECT_EQ(tokens[0].integer, 5);
    EXPECT_EQ(tokens[1].integer, 0xffffffffll);
    EXPECT_EQ(tokens[2].kind, TokenKind::Float);
    EXPECT_EQ(tokens[2].real, 0.5);
    EXPECT_EQ(tokens[3].text, "N");
    EXPECT_EQ(tokens[4].integer, 3);
    // The string's closing separator is part of the string token.
    EXPECT_EQ(tokens[5].kind, TokenKind::String);
    EXPECT_EQ(tokens[5].text, "s");
    EXPECT_EQ(tokens[6].kind, TokenKind::CloseBrace);
}

} // namespace
