// Control identifiers of the main window and its side panel. The end-to-end
// driver finds controls by these and by their window texts.
#pragma once

namespace veskaro::app::ids {
inline constexpr int foldername = 1001;
inline constexpr int Panel1 = 1002;
inline constexpr int Button3 = 1003;
inline constexpr int Button4 = 1004;
inline constexpr int BitBtn1 = 1005;
inline constexpr int Button6 = 1006;
inline constexpr int Button1 = 1007;
inline constexpr int Label2 = 1008;
inline constexpr int Edit1 = 1009;
inline constexpr int Label1 = 1010;
inline constexpr int Label4 = 1011;
inline constexpr int Button2 = 1012;
inline constexpr int Button5 = 1013;
inline constexpr int Label6 = 1014;
inline constexpr int Button7 = 1015;
inline constexpr int Label7 = 1016;
inline constexpr int suiSideChannel1 = 1017;
inline constexpr int ShellTreeView1 = 1018;
inline constexpr int PathTo = 1019;
inline constexpr int suiButton1 = 1020;
inline constexpr int PinButton = 1021;
inline constexpr int TitleBar = 1022;
inline constexpr int suiControlBox = 1023;  // the title bar's window-menu button
inline constexpr int suiMin = 1024;
inline constexpr int suiClose = 1025;
}  // namespace veskaro::app::ids
