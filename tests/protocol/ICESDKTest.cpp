// The voice phrase table, the lookup of one phrase and the conversion of a text into a phrase
// number list.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "common/GbkText.h"
#include "protocol/ICESDK.h"
#include "tests/protocol/HexBytes.h"

namespace tavo {
namespace {

using test::HexBytes;
using test::ToHex;

// The phrases once more, written as UTF-8 text independently of the GBK table.
// clang-format off
constexpr std::array<std::string_view, kPhraseCount> kUtf8Phrases = {
    "0", // 0
    "1", // 1
    "2", // 2
    "3", // 3
    "4", // 4
    "5", // 5
    "6", // 6
    "7", // 7
    "8", // 8
    "9", // 9
    "十", // 10
    "百", // 11
    "千", // 12
    "年", // 13
    "月", // 14
    "日", // 15
    "小时", // 16
    "分钟", // 17
    "秒", // 18
    "元", // 19
    "有卡请刷卡, 无卡请取卡", // 20
    "请刷卡", // 21
    "请刷卡，临时卡请交卡", // 22
    "有效期到", // 23
    "您的卡快到期，请及时充值", // 24
    "您的卡已过期，请充值", // 25
    "您的卡被当作临时卡使用", // 26
    "卡未开通", // 27
    "重新读卡", // 28
    "无效卡", // 29
    "挂失卡", // 30
    "此卡已过期", // 31
    "已进场", // 32
    "已出场", // 33
    "停车", // 34
    "消费", // 35
    "call in", // 36
    "call out", // 37
    "对方忙", // 38
    "对方无应答", // 39
    "系统时间错误", // 40
    "未出子区", // 41
    "未进主区", // 42
    "未出主区", // 43
    "网络通讯失败", // 44
    "欢迎光临", // 45
    "一路顺风", // 46
    "余额不足，卡上余额只有", // 47
    "本机禁止读卡", // 48
    "本机处于禁止状态", // 49
    "请插卡", // 50
    "补交收费", // 51
    "带卡进场", // 52
    "带卡出场", // 53
    "卡上余额", // 54
    "收费", // 55
    "读卡成功", // 56
    "摩托车", // 57
    "小型车", // 58
    "中型车", // 59
    "大型车", // 60
    "超大车", // 61
    "预留车", // 62
    "无授权", // 63
    "值班员请确认放行", // 64
    "操作卡", // 65
    "值班员请选择车型", // 66
    "天", // 67
    "临时卡请交卡", // 68
    "请刷卡入场", // 69
    "未注册用户卡", // 70
    "当前时间段未授权", // 71
    "请取票入场", // 72
    "车位已满", // 73
    "非工作时间段", // 74
    "小型车，请交费", // 75
    "A", // 76
    "B", // 77
    "C", // 78
    "D", // 79
    "E", // 80
    "F", // 81
    "G", // 82
    "H", // 83
    "J", // 84
    "K", // 85
    "L", // 86
    "M", // 87
    "N", // 88
    "O", // 89
    "P", // 90
    "Q", // 91
    "R", // 92
    "S", // 93
    "T", // 94
    "U", // 95
    "V", // 96
    "W", // 97
    "X", // 98
    "Y", // 99
    "Z", // 100
    "澳", // 101
    "川", // 102
    "鄂", // 103
    "甘", // 104
    "赣", // 105
    "港", // 106
    "挂", // 107
    "贵", // 108
    "黑", // 109
    "沪", // 110
    "吉", // 111
    "冀", // 112
    "津", // 113
    "晋", // 114
    "京", // 115
    "警", // 116
    "辽", // 117
    "领", // 118
    "鲁", // 119
    "蒙", // 120
    "闽", // 121
    "宁", // 122
    "青", // 123
    "琼", // 124
    "陕", // 125
    "使", // 126
    "苏", // 127
    "皖", // 128
    "湘", // 129
    "新", // 130
    "学", // 131
    "渝", // 132
    "豫", // 133
    "粤", // 134
    "云", // 135
    "藏", // 136
    "浙", // 137
    "月租车", // 138
    "免费车", // 139
    "临时车", // 140
    "储值车", // 141
    "角", // 142
    "请缴费", // 143
    "请尽快延期", // 144
    "此卡可用日期", // 145
};
// clang-format on

Bytes Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

TEST(PhraseTable, MatchesTheUtf8Phrases) {
    for (int i = 0; i < kPhraseCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ToHex(PhraseTable[i]), ToHex(Utf8ToGbk(kUtf8Phrases[i])));
    }
    // Bytes known independently of any converter.
    EXPECT_EQ(PhraseTable[121], HexBytes("C3 F6"));             // 闽
    EXPECT_EQ(PhraseTable[20].substr(10, 2), ", ");             // ASCII comma and blank
    EXPECT_EQ(PhraseTable[22].substr(6, 2), HexBytes("A3 AC")); // full-width comma
}

TEST(PhraseTable, PhrasesAndAPlateRoundTripThroughUtf16WithTheSameBytes) {
    for (int i = 0; i < kPhraseCount; ++i) {
        SCOPED_TRACE(i);
        const std::u16string wide = GbkToUtf16(PhraseTable[i]);
        EXPECT_EQ(wide.find(u'?'), std::u16string::npos); // every byte pair is a GBK character
        EXPECT_EQ(Utf16ToGbk(wide), PhraseTable[i]);
        EXPECT_EQ(GbkToUtf8(PhraseTable[i]), kUtf8Phrases[i]);
    }
    const Bytes plate = HexBytes("C3 F6 41 52 32 33 34 36"); // 闽AR2346
    EXPECT_EQ(GbkToUtf16(plate), u"闽AR2346");
    EXPECT_EQ(Utf16ToGbk(GbkToUtf16(plate)), plate);
}

TEST(PhraseTable, NoTwoPhrasesAreEqualWithCaseIgnored) {
    // UTF-8 bytes of non-ASCII characters are all 0x80 or above, so folding ASCII letters
    // byte by byte folds only the Latin letters.
    auto fold = [](std::string_view text) {
        std::string out(text);
        for (char& c : out)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return out;
    };
    for (int i = 0; i < kPhraseCount; ++i) {
        for (int j = i + 1; j < kPhraseCount; ++j)
            EXPECT_NE(fold(kUtf8Phrases[i]), fold(kUtf8Phrases[j])) << i << " and " << j;
    }
}

TEST(LookupPhrase, EveryPhraseFindsItsOwnNumberInEitherCase) {
    // The first phrase that matches wins, so an earlier phrase equal with case ignored would
    // show up here.
    auto recase = [](std::string_view text, bool upper) {
        std::string out(text);
        for (char& c : out) {
            if (upper && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (!upper && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    };
    for (int i = 0; i < kPhraseCount; ++i) {
        SCOPED_TRACE(i);
        const std::string number = std::to_string(i);
        EXPECT_EQ(LookupPhrase(PhraseTable[i]), number);
        if (std::all_of(PhraseTable[i].begin(), PhraseTable[i].end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            EXPECT_EQ(LookupPhrase(recase(PhraseTable[i], true)), number);
            EXPECT_EQ(LookupPhrase(recase(PhraseTable[i], false)), number);
        }
    }
}

TEST(LookupPhrase, WholeTextsMatchWithLatinLettersInEitherCase) {
    struct Case {
        Bytes text;
        std::string_view number;
    } cases[] = {
        {"A", "76"},
        {"a", "76"},
        {"z", "100"},
        {"I", " "}, // the letter I has no phrase
        {"i", " "},
        {Gbk("京"), "115"},
        {Gbk("十"), "10"},
        {Gbk("已出场"), "33"},
        {Gbk("已进场"), "32"},
        {"call in", "36"},
        {"CALL IN", "36"},
        {"Call Out", "37"},
        {"call", " "},     // a prefix of a phrase
        {"call in ", " "}, // a phrase and more
        {Gbk("已出"), " "},
        {Gbk("Ａ"), " "}, // the full-width letter is not the Latin one
        {"", " "},
        {Bytes("A\0", 2), " "}, // the zero byte is part of the text
        {HexBytes("C3"), " "},  // a lone lead byte
        {HexBytes("FF"), " "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToHex(c.text));
        EXPECT_EQ(LookupPhrase(c.text), c.number);
    }
}

TEST(ConvertTextToPhrases, GivesOneElementPerPiece) {
    struct Case {
        Bytes text;
        std::string_view list;
    } cases[] = {
        {"", ""},
        {Gbk("闽AR2346"), "121,76,92,2,3,4,6"},
        {Gbk("闽ar2346"), "121,76,92,2,3,4,6"},
        {Gbk("京"), "115"},
        {Gbk("十"), "10"},
        {"10", "1,0"}, // digits one by one
        {"I", " "},
        {"A B", "76, ,77"},          // 37 36 2C 20 2C 37 37
        {HexBytes("41 C3"), "76, "}, // a lone last byte of 0xA0 or above is a piece of its own
        {HexBytes("C3"), " "},
        {Gbk("已出场"), " , , "}, // 20 2C 20 2C 20: no character of it is a phrase alone
        {Gbk("使警"), "126,116"},
        {HexBytes("81 41"), " ,76"}, // 0x81..0x9F is a piece alone, and so is the byte after
        {HexBytes("9F 35"), " ,5"},
        {HexBytes("A0 41"), " "},       // 0xA0 takes the next byte with it
        {HexBytes("C3 41 42"), " ,77"}, // C3 41 is one piece, never "A" folded or found
        {Bytes("A\0B", 3), "76, ,77"},  // a zero byte is a piece like any other
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToHex(c.text));
        EXPECT_EQ(ConvertTextToPhrases(c.text), c.list);
    }
    EXPECT_EQ(ToHex(ConvertTextToPhrases("A B")), "37 36 2C 20 2C 37 37");
}

} // namespace
} // namespace tavo
