// SDDL access lists: what parses (and writes back unchanged), what is refused, and the rights
// an entry gives on a registry key.
#include <gtest/gtest.h>

#include "platform/ports/AccessListText.h"

namespace kestrover {
namespace {

TEST(AccessListText, ValidListsParseAndWriteBackUnchanged) {
    const char* valid[] = {
        "D:",
        "D:NO_ACCESS_CONTROL",
        "D:P",
        "D:PAI(A;OICI;GA;;;S-1-5-21-1000-1000-1000-1001)",
        "D:(A;CIIO;GR;;;BU)(A;;KA;;;BA)",  // Wine's own default
        "D:AI(D;;KW;;;WD)(A;ID;0xf003f;;;SY)(A;OICIID;KR;;;AU)",
        "D:(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)",
        "D:(OA;;RP;bf967aba-0de6-11d0-a285-00aa003049e2;;AU)",
        "D:ARAI(A;NP;KRKW;;;S-1-5-32-544)",
    };
    for (const char* text : valid) {
        SCOPED_TRACE(text);
        std::optional<AccessListText> list = ParseAccessList(text);
        ASSERT_TRUE(list.has_value());
        EXPECT_EQ(list->Text(), text);
    }
}

TEST(AccessListText, MalformedListsAreRefused) {
    const char* invalid[] = {
        "",
        "garbage",
        "(A;OICI;GA;;;BA)",    // an entry without "D:"
        "O:BAD:(A;;KA;;;BA)",  // an owner part
        "D:garbage",
        "D:PP(A;;KA;;;BA)",                     // a flag twice
        "D:NO_ACCESS_CONTROL(A;OICI;GA;;;BA)",  // no list with entries in it
        "D:(A;OICI;GA;;;BA",                    // unclosed
        "D:(A;OICI;GA;;BA)",                    // five fields
        "D:(A;OICI;GA;;;BA;x)",                 // seven fields (conditional entries)
        "D:(Q;OICI;GA;;;BA)",                   // unknown kind
        "D:(A;XX;GA;;;BA)",                     // unknown flag
        "D:(A;OIC;GA;;;BA)",                    // half a flag
        "D:(A;;ZZ;;;BA)",                       // unknown right
        "D:(A;;;;;BA)",                         // no rights
        "D:(A;;GA;;;)",                         // no trustee
        "D:(A;;GA;;;QQ)",                       // unknown alias
        "D:(A;;GA;;;S-1-)",                     // cut SID
        "D:(A;;GA;;;S-1-5--7)",                 // empty sub-authority
        "D:(A;;GA;;;S-2-5-7)",                  // wrong revision
        "D:(A;;GA;x;;BA)",                      // an object on a plain entry
        "D:(A;;0x1zz;;;BA)",                    // a number with junk
        "D:(A;;0x1ffffffff;;;BA)",              // wider than a mask
        "D:(A;OICI;GA;;;S-1-5-21-1\xff)",
    };
    for (const char* text : invalid) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseAccessList(text).has_value());
    }
}

TEST(AccessListText, RightsAsAKeyReadsThem) {
    struct Case {
        const char* rights;
        std::optional<std::uint32_t> mask;
    };
    const Case cases[] = {
        {"GA", 0x000F003F},      {"GR", 0x00020019},         {"GX", 0x00020019},
        {"GW", 0x00020006},      {"KA", 0x000F003F},         {"KR", 0x00020019},
        {"KRKW", 0x0002001F},    {"WO", 0x00080000},         {"RCWD", 0x00060000},
        {"0xf003f", 0x000F003F}, {"0x10000000", 0x000F003F},  // GENERIC_ALL as a number
        {"131097", 0x00020019},  {"", std::nullopt},         {"G", std::nullopt},
        {"GAX", std::nullopt},   {"ga", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rights);
        EXPECT_EQ(KeyRightsMask(c.rights), c.mask);
    }
}

TEST(AccessListText, TrusteesAndTheirCanonicalSids) {
    EXPECT_TRUE(IsTrusteeText("BA"));
    EXPECT_TRUE(IsTrusteeText("S-1-5-21-1004336348-1177238915-682003330-1001"));
    EXPECT_FALSE(IsTrusteeText("S-1-5-"));
    EXPECT_FALSE(IsTrusteeText("Administrators"));
    EXPECT_EQ(CanonicalSid("BA"), "S-1-5-32-544");
    EXPECT_EQ(CanonicalSid("WD"), "S-1-1-0");
    EXPECT_EQ(CanonicalSid("S-1-5-18"), "S-1-5-18");
}

TEST(AccessListText, EntryFlagsAreReadTwoLettersAtATime) {
    AccessEntry entry{"A", "OICIID", "GA", "", "", "BA"};
    EXPECT_TRUE(entry.HasFlag("CI"));
    EXPECT_TRUE(entry.HasFlag("ID"));
    EXPECT_FALSE(entry.HasFlag("IC"));  // straddles two codes
    EXPECT_FALSE(entry.HasFlag("IO"));
}

}  // namespace
}  // namespace kestrover
