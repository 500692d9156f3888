#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common.h"
#include "credits.h"
#include "game.h"
#include "runmode.h"
#include "win32.h"
#include "winwrap.h"

namespace {

struct Seen
{
    std::string msg;
    TOperationMode opMode;
    TPlayMode plMode;
};

std::vector<Seen> seen;

LRESULT Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const char* name = msg == WM_C_OPMO_BEGIN   ? "opBegin"
                       : msg == WM_C_OPMO_END   ? "opEnd"
                       : msg == WM_C_PLMO_BEGIN ? "plBegin"
                       : msg == WM_C_PLMO_END   ? "plEnd"
                                                : nullptr;
    if (name) {
        seen.push_back(Seen{name, OperationMode, PlayMode});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class ModeTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterCustomMessages();
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Record;
            wc.lpszClassName = "DataModeTest";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        hwnd = CreateWindowExA(0, "DataModeTest", "test", 0, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        CommonInit();
        seen.clear();
    }
    void TearDown() override
    {
        if (hwnd) {
            DestroyWindow(hwnd);
        }
        CommonInit();
    }
    HWND hwnd = nullptr;
};

TEST_F(ModeTest, InitialValues)
{
    EXPECT_EQ(OperationMode, opModeINIT);
    EXPECT_EQ(PlayMode, plMoMenu);
    EXPECT_EQ(numOfImg, 0u);
}

TEST_F(ModeTest, EnteringTheMenuSetsTheMenuThemeBetweenEndAndBegin)
{
    PlayMode = plMoBike;
    OperationMode = opModeGAME;
    SwitchOpMode(hwnd, opModeMENU);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].msg, "opEnd");
    EXPECT_EQ(seen[0].opMode, opModeGAME); // the old screen gets its end
    EXPECT_EQ(seen[1].msg, "plEnd");
    EXPECT_EQ(seen[1].plMode, plMoBike);
    EXPECT_EQ(seen[2].msg, "plBegin");
    EXPECT_EQ(seen[2].plMode, plMoMenu);
    EXPECT_EQ(seen[3].msg, "opBegin");
    EXPECT_EQ(seen[3].opMode, opModeMENU);
    EXPECT_EQ(seen[3].plMode, plMoMenu);
}

TEST_F(ModeTest, OtherScreensKeepTheThemeAndTheSameModeRestarts)
{
    PlayMode = plMoRudi;
    OperationMode = opModeOPTI;
    SwitchOpMode(hwnd, opModeOPTI);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].msg, "opEnd");
    EXPECT_EQ(seen[1].msg, "opBegin");
    EXPECT_EQ(seen[1].opMode, opModeOPTI);
    EXPECT_EQ(PlayMode, plMoRudi);
    seen.clear();
    SwitchPlayMode(hwnd, plMoEegg);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].plMode, plMoRudi);
    EXPECT_EQ(seen[1].plMode, plMoEegg);
}

// Text from files is bytes, not always UTF-8: the state dump and the
// recording's hash take every byte value, and the hash still tells such
// bytes apart.
TEST(StateDump, AnyBytesDumpAndHash)
{
    playerStr = "SCOUT\xC9";
    PlaceCreditLines({std::string(39, 'x') + "\xC3"}); // a cut character
    uint64_t hash = 0;
    ASSERT_NO_THROW(hash = StateHash());
    EXPECT_EQ(StateHash(), hash) << "the same state hashes the same";
    playerStr = "SCOUT\xCA";
    EXPECT_NE(StateHash(), hash) << "the bytes themselves are hashed";
    nlohmann::json dump;
    ASSERT_NO_THROW(dump = nlohmann::json::parse(DumpState().dump(2)));
    EXPECT_EQ(dump["game"]["playerStr"], "SCOUT\xEF\xBF\xBD");
    EXPECT_EQ(dump["credits"]["lines"][0]["str"], std::string(39, 'x') + "\xEF\xBF\xBD");
    playerStr = "SCOUT\xC3\x89"; // valid UTF-8 stays as it is
    EXPECT_EQ(DumpState()["game"]["playerStr"], "SCOUT\xC3\x89");
    playerStr.clear();
    PlaceCreditLines({});
}

} // namespace
