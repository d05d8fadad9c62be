#pragma once

namespace zorveth::ui {

// Numbers of the dialog templates, menu, icon and string, and the ids of the
// controls and commands the dialogs address.

inline constexpr int kAboutDialogId = 100;
inline constexpr int kAboutMenuStringId = 101;
inline constexpr int kMainDialogId = 102;
inline constexpr int kMainMenuId = 131;
inline constexpr int kPollDialogId = 135;
inline constexpr int kApplicationIconId = 136;
inline constexpr int kInitRadioDialogId = 137;
inline constexpr int kInitWarningDialogId = 138;
inline constexpr int kClientWarningPaneId = 139;
inline constexpr int kServerWarningPaneId = 140;
inline constexpr int kAdvancedDialogId = 141;

// Main dialog.
inline constexpr int kTechnologyList = 1008;
inline constexpr int kChannelList = 1010;
inline constexpr int kConfigureButton = 1012;
inline constexpr int kComPortList = 1018;
inline constexpr int kNewBaudRateList = 1025;
inline constexpr int kPollInformationButton = 1037;
inline constexpr int kMenuExit = 32771;
inline constexpr int kMenuInitRadios = 32779;
inline constexpr int kMenuAbout = 32780;
inline constexpr int kMenuSettings = 32781;
// The About item appended to the system menu; system commands are compared
// after masking with 0xFFF0, which the platform uses for its own bits.
inline constexpr int kSystemMenuAbout = 0x10;
inline constexpr int kSystemCommandMask = 0xFFF0;
// The main dialog's extras, after "About" in the same menu.
inline constexpr int kSystemMenuSaveWireLog = 0x20;
inline constexpr int kSystemMenuFindRadios = 0x30;
inline constexpr int kSystemMenuSaveProfile = 0x40;
inline constexpr int kSystemMenuApplyProfile = 0x50;
inline constexpr int kSystemMenuSignalMonitor = 0x60;

// The extras' own windows: each has a template number and a range of
// control ids of its own.
inline constexpr int kFindRadiosDialogId = 150;     // controls 1100-1119
inline constexpr int kApplyProfileDialogId = 151;   // controls 1120-1139
inline constexpr int kSignalMonitorDialogId = 152;  // controls 1140-1159

// Find Radios: what the search is doing, and one line per port.
inline constexpr int kFindRadiosStatus = 1100;
inline constexpr int kFindRadiosList = 1101;

// Apply Profile: what differs, and the button that writes it.
inline constexpr int kApplyProfileText = 1120;
inline constexpr int kApplyProfileList = 1121;
inline constexpr int kApplyProfileButton = 1122;
// Signal Monitor: what it is doing, the plot of both radios, each radio's
// latest value (large) with its minimum and maximum, and the buttons.
inline constexpr int kSignalMonitorStatus = 1140;
inline constexpr int kSignalMonitorPlot = 1141;
inline constexpr int kSignalMonitorServerValue = 1142;
inline constexpr int kSignalMonitorClientValue = 1143;
inline constexpr int kSignalMonitorServerRange = 1144;
inline constexpr int kSignalMonitorClientRange = 1145;
inline constexpr int kSignalMonitorStart = 1146;
inline constexpr int kSignalMonitorStop = 1147;
inline constexpr int kSignalMonitorSaveData = 1148;

// Poll dialog.
inline constexpr int kResultList = 1020;
inline constexpr int kPollBothButton = 1021;
inline constexpr int kPollClientButton = 1038;
inline constexpr int kPollServerButton = 1049;
inline constexpr int kClearInformationButton = 1050;
// The result list's context menu and keys.
inline constexpr int kPollMenuCopyAll = 32790;
inline constexpr int kPollMenuSaveReport = 32791;
inline constexpr int kPollCopyLine = 32792;
inline constexpr int kPollSelectAll = 32793;

// Initialization dialogs.
inline constexpr int kInitializeButton = 1019;
inline constexpr int kInitWarningText = 1039;
inline constexpr int kClientRoleButton = 1040;
inline constexpr int kServerRoleButton = 1041;
inline constexpr int kRadioSelectionGroup = 1043;
inline constexpr int kContinueButton = 1045;
inline constexpr int kPaneFrame = 1046;
inline constexpr int kClientWarningText = 1047;
inline constexpr int kServerWarningText = 1048;

// Advanced settings dialog.
inline constexpr int kPacketLengthEdit = 1031;
inline constexpr int kRetryNumberEdit = 1033;
inline constexpr int kSystemIdEdit = 1035;
inline constexpr int kPacketLengthGroup = 1051;
inline constexpr int kRetryNumberGroup = 1052;
inline constexpr int kSystemIdGroup = 1053;
inline constexpr int kApplyButton = 1054;
inline constexpr int kAdvancedWarningText = 1055;

}  // namespace zorveth::ui
