#pragma once
// Command numbers of the menus and keyboard shortcuts. They are the object
// names of the actions (tests and other panes find the actions by them) and
// the keys under which features register what a command does.

namespace yarrow::cmd {

// File menu.
inline constexpr int kSaveLogRtf = 32820;
inline constexpr int kSaveLogText = 32810;
inline constexpr int kClearLog = 32788;
inline constexpr int kStartTextLog = 32824;
inline constexpr int kAppExit = 57665;
// Connection menu.
inline constexpr int kConnect = 32772;
inline constexpr int kDisconnect = 32773;
inline constexpr int kResetMemberList = 32801;
// Functions menu.
inline constexpr int kChart = 32775;
inline constexpr int kUseMap = 32783;
inline constexpr int kUseCards = 32816;
inline constexpr int kChangeDice = 32780;
inline constexpr int kWhisper = 32835;
inline constexpr int kScrollLock = 32779;
inline constexpr int kTopMost = 32781;
inline constexpr int kFirstPersonFilter = 32790;
inline constexpr int kOptions = 32776;
// Help menu.
inline constexpr int kHelp = 32792;
inline constexpr int kAbout = 57664;
// Keyboard-only commands.
inline constexpr int kPleaseWait = 32782;
inline constexpr int kToggleSpeaker = 32774;
inline constexpr int kChooseHandleName = 32777;
inline constexpr int kChooseSubHandleName = 32819;
inline constexpr int kPreviousSubHandle = 32808;
inline constexpr int kNextSubHandle = 32809;
inline constexpr int kRollListEntry1 = 32826;  // ... kRollListEntry1 + 8 for Ctrl+9
inline constexpr int kRollDice = 1002;         // the "Dice" button
inline constexpr int kInsertSizeTag = 32796;
inline constexpr int kInsertColorTag = 32797;
inline constexpr int kInsertHeart = 32815;
inline constexpr int kSwapInputBuffers = 32836;
inline constexpr int kDebugInput = 32778;
inline constexpr int kEditCopy = 57634;   // Ctrl+Insert
inline constexpr int kEditCut = 57635;    // Shift+Delete
inline constexpr int kEditPaste = 57637;  // Shift+Insert
inline constexpr int kEditUndo = 57643;   // Alt+Backspace, Ctrl+Z
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;

}  // namespace yarrow::cmd
