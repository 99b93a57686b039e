#pragma once

namespace velk {

// What a page ends with, and what a stage of the wizard returns.
inline constexpr int kPageNone = 0;
inline constexpr int kPageNext = 1;
inline constexpr int kPageBack = 2;
inline constexpr int kPageAgain = 3;
inline constexpr int kPageExit = 4;

// 1 to 4 stand; anything else counts as none, which every stage treats as Exit.
inline int ToPageResult(int dialogResult) {
    return dialogResult >= kPageNext && dialogResult <= kPageExit ? dialogResult : kPageNone;
}

}  // namespace velk
