// The match flow driven through its handler slots with recording fakes in place of the
// view, the computer player and the shell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/match_flow.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "tools/notation/notation.h"

namespace {

std::vector<std::string> gLog;
SquarePos gPick{0, 0};
int gPickResult = 1;
int gPatternsResult = 1;
int gResultDialogs = 0;
bool gHandlersWereClearAtResult = false;
Board gBoardSeenBySchedule{};

void Log(const std::string& entry) {
    gLog.push_back(entry);
}

std::string Square(int x, int y) {
    return notation::SquareName({x, y});
}

// The fake animation behaves like the real one: it arms its own step handler, which hands
// back to the flow with AdvanceTurn.
void FakeStepFlipAnimation() {
    ClearHandlers();
    gMatch.tickHandler = AdvanceTurn;
}

SquarePos FirstLegalMove(const Board& board, Side side, SkillLevel level, const SquarePos*,
                         int32_t count) {
    Log("choose " + std::to_string(level) + " after " + std::to_string(count));
    SquarePos moves[64];
    EXPECT_GT(ListLegalMoves(board, moves, side), 0) << "asked to move without a legal move";
    return moves[0];
}

void Schedule(const Board& board, int x, int y, Side side) {
    gBoardSeenBySchedule = board;
    Log("schedule " + Square(x, y) + " " + std::to_string(side));
    ClearHandlers();
    gMatch.tickHandler = FakeStepFlipAnimation;
}

int Pick(SquarePos* square) {
    Log("pick");
    *square = gPick;
    return gPickResult;
}

void ShowResult() {
    ++gResultDialogs;
    gHandlersWereClearAtResult = !gMatch.tickHandler && !gMatch.clickHandler;
    Log("result");
    ClearHandlers();
    gMatch.clickHandler = StartNewGame;
}

const MatchOperations kRecordingOperations = {
    FirstLegalMove,
    Schedule,
    Pick,
    [](int x, int y, Side side) { Log("disc " + Square(x, y) + " " + std::to_string(side)); },
    [](int x, int y) { Log("marker " + Square(x, y)); },
    [] { Log("rebuild"); },
    [] { Log("repaint"); },
    [] { Log("status"); },
    ShowResult,
    [](SkillLevel level) {
        gMatch.level = level;
        Log("level " + std::to_string(level));
    },
    [] { Log("book"); },
    [] {
        Log("patterns");
        return gPatternsResult;
    },
};

void Sentinel() {
    ADD_FAILURE() << "a handler left a stale handler armed";
}

class Flow : public ::testing::Test {
  protected:
    void SetUp() override {
        gLog.clear();
        gPick = {0, 0};
        gPickResult = 1;
        gPatternsResult = 1;
        gResultDialogs = 0;
        desktop::fake::Reset();
        InstallMatchOperations(kRecordingOperations);
        gMatch = MatchState{};
        gMatch.settings = {1, 1, 1};
        ASSERT_EQ(InitGameData(), 1);
        gLog.clear();
    }

    void StartWithBoard(const std::string& position, GameMode mode) {
        gMatch.mode = mode;
        StartNewGame();
        notation::Position parsed;
        notation::TextError error;
        ASSERT_TRUE(notation::ParsePosition(position, parsed, error)) << error.message;
        gMatch.board = parsed.board;
        gMatch.sideToMove = parsed.sideToMove;
        DispatchTurn();
        gLog.clear();
    }

    // Runs tick handlers until a click is awaited, the game waits for the result, or the
    // limit is reached.
    void Tick(int times) {
        for (int i = 0; i < times && gMatch.tickHandler; ++i)
            gMatch.tickHandler();
    }

    void Click(int x, int y) {
        gPick = {x, y};
        ASSERT_NE(gMatch.clickHandler, nullptr);
        gMatch.clickHandler();
    }
};

}  // namespace

TEST_F(Flow, InitGameDataSetsUpBookLevelModeAndReportsThePatternLoad) {
    gLog.clear();
    gPatternsResult = 0;
    EXPECT_EQ(InitGameData(), 0);
    EXPECT_EQ(gLog, (std::vector<std::string>{"book", "level 40014", "patterns"}));
    EXPECT_EQ(gMatch.mode, kModeHumanBlack);
    EXPECT_EQ(gMatch.level, kLevelFool);
}

TEST_F(Flow, NewGameShowsTheStartAndArmsTheSideToMove) {
    struct Case {
        GameMode mode;
        Handler expected;
    };
    const Case cases[] = {{kModeHumanBlack, BeginHumanTurn},
                          {kModeHumanWhite, PlayComputerTurn},
                          {kModeTwoHumans, BeginHumanTurn},
                          {kModeComputers, PlayComputerTurn},
                          {40007, PlayComputerTurn}};
    for (const Case& c : cases) {
        gLog.clear();
        gMatch.mode = c.mode;
        gMatch.clickHandler = Sentinel;
        gMatch.history.count = 17;
        StartNewGame();
        EXPECT_EQ(gMatch.board, InitialBoard());
        EXPECT_EQ(gMatch.sideToMove, kBlack);
        EXPECT_EQ(gMatch.history.count, 0);
        EXPECT_EQ(gMatch.tickHandler, c.expected) << c.mode;
        EXPECT_EQ(gMatch.clickHandler, nullptr);
        EXPECT_EQ(gLog, (std::vector<std::string>{"status", "rebuild", "repaint"}));
    }
}

TEST_F(Flow, HumanTurnShowsMarkersThenWaitsForAClick) {
    gMatch.mode = kModeHumanBlack;
    StartNewGame();
    gLog.clear();
    gMatch.clickHandler = Sentinel;
    Tick(1);
    EXPECT_EQ(gLog, (std::vector<std::string>{"marker d3", "marker c4", "marker f5", "marker e6",
                                              "repaint"}));
    EXPECT_EQ(gMatch.tickHandler, nullptr);
    EXPECT_EQ(gMatch.clickHandler, OnHumanClick);

    gMatch.settings.showLegalMoves = 0;
    StartNewGame();
    gLog.clear();
    Tick(1);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(gMatch.clickHandler, OnHumanClick);
}

TEST_F(Flow, ClickOnALegalSquareCommitsTheMove) {
    gMatch.mode = kModeHumanBlack;
    StartNewGame();
    Tick(1);
    gLog.clear();
    Click(5, 4);  // f5
    EXPECT_EQ(gLog, (std::vector<std::string>{"pick", "schedule f5 1", "disc f5 1"}));
    EXPECT_EQ(gBoardSeenBySchedule, InitialBoard()) << "the animation must see the board before";
    EXPECT_EQ(gMatch.board[SquareIndex(4, 4)], kBlack) << "e5 turned";
    EXPECT_EQ(gMatch.history.count, 1);
    EXPECT_EQ(gMatch.history.moves[0], (SquarePos{5, 4}));
    ASSERT_EQ(desktop::fake::SoundCalls().size(), 1u);
    EXPECT_EQ(desktop::fake::SoundCalls()[0].name, "click");
    EXPECT_EQ(desktop::fake::SoundCalls()[0].flags, 0x40007u);
    EXPECT_EQ(gMatch.clickHandler, nullptr) << "clicks are ignored during the animation";
    EXPECT_EQ(gMatch.tickHandler, FakeStepFlipAnimation);
}

TEST_F(Flow, IllegalClicksChangeNothingAndKeepTheClickHandler) {
    gMatch.mode = kModeHumanBlack;
    StartNewGame();
    Tick(1);
    const MatchState before = gMatch;
    struct Case {
        SquarePos square;
        int pickResult;
    };
    const Case cases[] = {
        {{3, 3}, 1},   // occupied
        {{0, 0}, 1},   // empty but illegal
        {{5, 4}, 0},   // legal square, but the cursor is on a disc or off the board
        {{-1, 0}, 1},  // a square the board does not have
        {{8, 2}, 1}};
    for (const Case& c : cases) {
        gPickResult = c.pickResult;
        Click(c.square.x, c.square.y);
        EXPECT_EQ(gMatch.board, before.board);
        EXPECT_EQ(gMatch.history.count, 0);
        EXPECT_EQ(gMatch.clickHandler, OnHumanClick);
        EXPECT_EQ(gMatch.tickHandler, nullptr);
    }
    EXPECT_TRUE(desktop::fake::SoundCalls().empty());
}

TEST_F(Flow, WithoutAnimationTheMoveEndsOnTheNextTick) {
    gMatch.mode = kModeHumanBlack;
    gMatch.settings.flipAnimation = 0;
    StartNewGame();
    Tick(1);
    Click(5, 4);
    EXPECT_EQ(gMatch.tickHandler, AdvanceTurn);
    gLog.clear();
    Tick(1);
    EXPECT_EQ(gLog, (std::vector<std::string>{"status", "rebuild", "repaint"}));
    EXPECT_EQ(gMatch.sideToMove, kWhite);
    EXPECT_EQ(gMatch.tickHandler, PlayComputerTurn);
}

TEST_F(Flow, ComputerMoveGoesThroughTheSameCommit) {
    gMatch.mode = kModeHumanWhite;
    StartNewGame();
    gLog.clear();
    Tick(1);
    EXPECT_EQ(gLog,
              (std::vector<std::string>{"choose 40014 after 0", "schedule d3 1", "disc d3 1"}));
    EXPECT_EQ(gMatch.history.count, 1);
    Tick(2);  // the animation hands back, then AdvanceTurn dispatches the human
    EXPECT_EQ(gMatch.sideToMove, kWhite);
    EXPECT_EQ(gMatch.tickHandler, BeginHumanTurn);
}

TEST_F(Flow, APassHandsTheMoveBackWithoutRecordingAnything) {
    // Black's c1 turns b1; white's only disc left is b8, which flanks nothing (a8 is on the
    // rim), so white passes while black still has c8.
    const std::string row1 = "XO------", row8 = "XO------", empty(48, '-');
    StartWithBoard(row1 + empty + row8 + " X", kModeTwoHumans);
    Tick(1);
    Click(2, 0);  // c1
    ASSERT_EQ(gMatch.history.count, 1);
    Tick(2);
    EXPECT_EQ(gMatch.sideToMove, kBlack) << "white had to pass";
    EXPECT_EQ(gMatch.history.count, 1) << "a pass is not a move";
    EXPECT_EQ(gMatch.tickHandler, BeginHumanTurn);
    EXPECT_EQ(gResultDialogs, 0);
    Tick(1);
    Click(2, 7);  // c8
    EXPECT_EQ(gMatch.history.count, 2);
    EXPECT_EQ(gMatch.history.moves[1], (SquarePos{2, 7}));
}

TEST_F(Flow, AGameThatEndsWithEmptySquaresGoesToTheResult) {
    // After black's c1 no disc of white remains: neither side can move, 61 squares empty.
    StartWithBoard("XO" + std::string(62, '-') + " X", kModeTwoHumans);
    Tick(1);
    Click(2, 0);
    Tick(2);  // animation, then AdvanceTurn finds the end
    EXPECT_EQ(gMatch.tickHandler, FinishGame);
    EXPECT_EQ(gMatch.clickHandler, nullptr);
    gLog.clear();
    Tick(1);
    EXPECT_EQ(gLog, (std::vector<std::string>{"rebuild", "repaint", "result"}));
    EXPECT_TRUE(gHandlersWereClearAtResult) << "handlers must be cleared before the dialog";
    EXPECT_EQ(gResultDialogs, 1);
    EXPECT_EQ(gMatch.tickHandler, nullptr);
    EXPECT_EQ(gMatch.clickHandler, StartNewGame);
    gMatch.clickHandler();
    EXPECT_EQ(gMatch.board, InitialBoard());
    EXPECT_EQ(gMatch.mode, kModeTwoHumans);
}

TEST_F(Flow, ComputersPlayAWholeGameAndTheHistoryHoldsEveryMove) {
    gMatch.mode = kModeComputers;
    StartNewGame();
    Board replay = InitialBoard();
    Side side = kBlack;
    int ticks = 0;
    while (gResultDialogs == 0 && gMatch.tickHandler && ticks++ < 1000)
        gMatch.tickHandler();
    EXPECT_EQ(gResultDialogs, 1);
    // Replaying the history with the rules, passes included, gives the final board.
    for (int i = 0; i < gMatch.history.count; ++i) {
        const SquarePos move = gMatch.history.moves[i];
        if (!IsLegalMove(replay, move.x, move.y, side)) side = Opponent(side);
        ASSERT_EQ(IsLegalMove(replay, move.x, move.y, side), 1) << "move " << i;
        ApplyMove(replay, move.x, move.y, side);
        side = Opponent(side);
    }
    EXPECT_EQ(replay, gMatch.board);
    const DiscCounts counts = CountDiscs(gMatch.board);
    EXPECT_EQ(gMatch.history.count, counts.black + counts.white - 4);
}

TEST_F(Flow, ModeCommandRestartsButALevelChangeDoesNot) {
    gMatch.mode = kModeHumanBlack;
    StartNewGame();
    Tick(1);
    Click(5, 4);
    Tick(2);
    ASSERT_EQ(gMatch.history.count, 1);
    kRecordingOperations.SetSkillLevel(kLevelMaster);
    EXPECT_EQ(gMatch.history.count, 1);
    SelectGameMode(kModeComputers);
    EXPECT_EQ(gMatch.history.count, 0);
    EXPECT_EQ(gMatch.board, InitialBoard());
    EXPECT_EQ(gMatch.mode, kModeComputers);
    EXPECT_EQ(gMatch.level, kLevelMaster);
    gLog.clear();
    Tick(1);
    EXPECT_EQ(gLog.front(), "choose 40018 after 0");
}

TEST_F(Flow, EveryHandlerClearsBothSlotsBeforeArmingTheNext) {
    gMatch.mode = kModeHumanBlack;
    StartNewGame();
    gMatch.clickHandler = Sentinel;
    BeginHumanTurn();
    EXPECT_EQ(gMatch.tickHandler, nullptr);
    gMatch.tickHandler = Sentinel;
    Click(5, 4);
    EXPECT_NE(gMatch.tickHandler, Sentinel);
    EXPECT_EQ(gMatch.clickHandler, nullptr);
    FakeStepFlipAnimation();
    gMatch.clickHandler = Sentinel;
    AdvanceTurn();
    EXPECT_EQ(gMatch.clickHandler, nullptr);
    EXPECT_EQ(gMatch.tickHandler, PlayComputerTurn);
    gMatch.clickHandler = Sentinel;
    PlayComputerTurn();
    EXPECT_EQ(gMatch.clickHandler, nullptr);
}
