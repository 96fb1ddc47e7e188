#pragma once
// The Qt object names of the main window's parts, which the window-settings contract and
// the tests find them by: written once here, so that code reads what each one is.

namespace ObjectName {
inline constexpr char MainForm[] = "Form1";
inline constexpr char TrayMenu[] = "TrayMenu";

// The records: the toolbar with the navigator, the delete button and the picture, the grid.
inline constexpr char RecordsToolBar[] = "ToolBar1";
inline constexpr char Navigator[] = "DBNavigator1";
inline constexpr char DeleteButton[] = "Button1";
inline constexpr char ToolBarPicture[] = "Image2";
inline constexpr char RecordsGrid[] = "DBGrid1";

// "Файл" and its entries, in order.
inline constexpr char FileMenu[] = "N1";
inline constexpr char StartMinimisedEntry[] = "N9";
inline constexpr char StartAtLoginEntry[] = "Autostart1";
inline constexpr char HideEntry[] = "N15";
inline constexpr char FileSeparator[] = "N11";
inline constexpr char TariffEntry[] = "N2";
inline constexpr char ReportEntry[] = "N5";
inline constexpr char StatisticsEntry[] = "Statistics1";
inline constexpr char BudgetEntry[] = "Budget1";
inline constexpr char PasswordEntry[] = "N13";
inline constexpr char PollEntry[] = "N14";
inline constexpr char LinkEntry[] = "Link1"; // "N23" is a site's
inline constexpr char ExitSeparator[] = "N12";
inline constexpr char FileExitEntry[] = "N7";

// The rest of the menu bar.
inline constexpr char AboutEntry[] = "About1";
inline constexpr char ColourMenu[] = "N17";
inline constexpr char FormColourEntry[] = "N19";
inline constexpr char GridColourEntry[] = "N20";
inline constexpr char FontColourEntry[] = "N21";
inline constexpr char TrafficColumnsEntry[] = "Traffic1";
inline constexpr char SitesMenu[] = "N18";
inline constexpr char BarExitEntry[] = "N22";

// The tray icon's menu.
inline constexpr char TrayReportEntry[] = "N10";
inline constexpr char TrayStatisticsEntry[] = "Statistics2";
inline constexpr char TrayTariffEntry[] = "N8";
inline constexpr char TraySeparator[] = "N6";
inline constexpr char TrayRestoreEntry[] = "N3";
inline constexpr char TrayCloseEntry[] = "N4";
} // namespace ObjectName
