// Local network information, IPv4 texts, subnet sweeps and the input rules.

#include "net/NetUtils.h"
#include "net/NetworkInfoProvider.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

class FakeNetwork : public NSUI::NetworkInfoProvider {
public:
    FakeNetwork(std::string host, std::vector<NSUI::NetworkAdapter> list)
        : _host(std::move(host)), _list(std::move(list)) {}
    std::string hostName() override { return _host; }
    std::vector<NSUI::NetworkAdapter> adapters() override { return _list; }

private:
    std::string _host;
    std::vector<NSUI::NetworkAdapter> _list;
};

class NetFixture : public ::testing::Test {
protected:
    void use(std::string host, std::vector<NSUI::NetworkAdapter> list)
    {
        NSUI::NetworkInfoProvider::setCurrent(
            std::make_shared<FakeNetwork>(std::move(host), std::move(list)));
    }
    void TearDown() override { NSUI::NetworkInfoProvider::setCurrent(nullptr); }

    std::vector<std::string> hosts()
    {
        std::vector<std::string> out;
        listSubnetHosts(out);
        return out;
    }
};

} // namespace

TEST_F(NetFixture, InfoSkipsLoopbackAndSanitisesHostName)
{
    use("my,\"host\":{[x]}", {{"127.0.0.1", "255.0.0.0"},
                               {"10.1.2.3", "255.255.255.0"},
                               {"0.0.0.0", "0.0.0.0"},
                               {"192.168.7.9", "255.255.0.0"}});
    std::string host, addresses, masks;
    getLocalNetworkInfo(host, addresses, masks);
    EXPECT_EQ(host, "my_hostx");
    EXPECT_EQ(addresses, "10.1.2.3,192.168.7.9");
    EXPECT_EQ(masks, "255.255.255.0,255.255.0.0");
}

TEST_F(NetFixture, SubnetOf24StartsNearAndCoversAllButSelf)
{
    use("h", {{"192.168.1.10", "255.255.255.0"}});
    auto list = hosts();
    ASSERT_GE(list.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.begin() + 4),
              (std::vector<std::string> {"192.168.1.11", "192.168.1.9", "192.168.1.12",
                                         "192.168.1.8"}));
    EXPECT_EQ(list.size(), 253u);
    std::set<std::string> unique(list.begin(), list.end());
    EXPECT_EQ(unique.size(), list.size());
    EXPECT_EQ(unique.count("192.168.1.10"), 0u);
    EXPECT_EQ(unique.count("192.168.1.1"), 1u);
    EXPECT_EQ(unique.count("192.168.1.254"), 1u);
}

TEST_F(NetFixture, SubnetOf30ListsOnlyTheOtherHost)
{
    use("h", {{"10.0.0.1", "255.255.255.252"}});
    EXPECT_EQ(hosts(), (std::vector<std::string> {"10.0.0.2"}));
}

TEST_F(NetFixture, LoopbackTestSubnet)
{
    use("h", {{"127.0.0.2", "255.255.255.248"}});
    auto list = hosts();
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, (std::vector<std::string> {"127.0.0.1", "127.0.0.3", "127.0.0.4",
                                               "127.0.0.5", "127.0.0.6"}));
}

TEST_F(NetFixture, LargeSubnetsAreSkippedAndTotalIsCapped)
{
    use("h", {{"10.0.0.1", "255.0.0.0"}, {"172.16.0.1", "255.255.0.0"},
              {"10.9.9.9", "255.255.255.255"}});
    EXPECT_TRUE(hosts().empty());

    // /22 is the widest subnet swept; two of them together stop at the cap.
    use("h", {{"10.0.4.1", "255.255.252.0"}, {"10.1.4.1", "255.255.252.0"}});
    auto list = hosts();
    EXPECT_EQ(list.size(), kSubnetMaxHosts);
    EXPECT_EQ(list.front(), "10.0.4.2");
    EXPECT_TRUE(std::none_of(list.begin(), list.end(), [](const std::string& s) {
        return s.size() > 4 && (s.compare(s.size() - 4, 4, ".255") == 0 ||
                                s.compare(s.size() - 2, 2, ".0") == 0);
    }));

    use("h", {});
    EXPECT_TRUE(hosts().empty());
}

TEST(IPv4Text, ParseAndFormatByteOrder)
{
    EXPECT_EQ(parseIPv4("1.2.3.4"), 0x04030201u);
    EXPECT_EQ(formatIPv4(0x01020304u), "1.2.3.4");
    EXPECT_EQ(parseIPv4("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(parseIPv4("0.0.0.0"), 0u);
    EXPECT_EQ(parseIPv4("1.2.3.4 trailing"), 0x04030201u);
    EXPECT_EQ(parseIPv4("1.2.3.4x"), 0u);
    EXPECT_EQ(parseIPv4("1.2.3.4.5"), 0u);
    EXPECT_EQ(parseIPv4("256.1.1.1"), 0u);
    EXPECT_EQ(parseIPv4("99999999999999999999.1.1.1"), 0u);
    EXPECT_EQ(parseIPv4(""), 0u);
    EXPECT_EQ(parseIPv4(nullptr), 0u);
    EXPECT_EQ(formatIPv4(0xFFFFFFFFu), "255.255.255.255");
}

TEST(IPv4Text, Validation)
{
    EXPECT_TRUE(isValidIPv4("1.2.3.4"));
    EXPECT_TRUE(isValidIPv4("1..3.4")); // empty numbers are accepted
    EXPECT_FALSE(isValidIPv4("256.1.1.1"));
    EXPECT_FALSE(isValidIPv4("1.2.3"));
    EXPECT_FALSE(isValidIPv4("1.2.3.4."));
    EXPECT_FALSE(isValidIPv4(""));
    EXPECT_FALSE(isValidIPv4("1.2.3.a"));
    EXPECT_FALSE(isValidIPv4(std::string(30000, '1')));
}

TEST(InputRules, EmailAndAccountName)
{
    EXPECT_TRUE(isValidEmail("first.last-x_y@example.com"));
    EXPECT_TRUE(isValidEmail("a@example.co.uk"));
    EXPECT_FALSE(isValidEmail("a@localhost"));
    EXPECT_FALSE(isValidEmail("a@b.c"));
    EXPECT_FALSE(isValidEmail("a b@example.com"));
    EXPECT_FALSE(isValidEmail(""));
    EXPECT_TRUE(isValidAccountName("user.name-1_x"));
    EXPECT_FALSE(isValidAccountName("user name"));
    EXPECT_FALSE(isValidAccountName(""));
    // Very long input is refused before the regular expression sees it.
    EXPECT_FALSE(isValidEmail(std::string(30000, 'a') + "@example.com"));
    EXPECT_FALSE(isValidAccountName(std::string(30000, 'a')));
}

TEST_F(NetFixture, IPv6AnswerIsFalseAndCheckRunsInBackground)
{
    use("h", {{"10.0.0.1", "255.255.255.0"}});
    EXPECT_FALSE(checkIPv6Address());
    EXPECT_FALSE(isIPv6Network());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(isIPv6Network());
}
