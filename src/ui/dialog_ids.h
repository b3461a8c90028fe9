// The dialog templates and their controls, and the ids of the tool's texts.
#ifndef KV_UI_DIALOG_IDS_H
#define KV_UI_DIALOG_IDS_H

// Dialog templates
const int kConsentDialogTemplate = 103;
const int kRemovalDialogTemplate = 104;
const int kIntroDialogTemplate = 105;

// Consent dialog (103)
const int kAgreeButton = 1000;       // radio button "agree", starts the group
const int kDisagreeButton = 1001;    // radio button "do not agree"
const int kReadmeBox = 1004;         // read-only multi-line box
const int kHeading = 1005;           // static heading, shown bold
const int kScopeAnyCheckBox = 1006;  // open the exceptions to any address

// Removal dialog (104)
const int kRemovePermissionCheckBox = 1001;
const int kDisableSharingCheckBox = 1002;
const int kDisableSharingText = 1003;

// The tool's texts (string table)
const unsigned kTextTitle = 5000;
const unsigned kTextSetupDone = 5008;
const unsigned kTextRemovalDone = 5009;
const unsigned kTextAskRestart = 5010;
const unsigned kTextFirewallUnavailable = 5024;
const unsigned kTextNotAdministrator = 5025;
const unsigned kTextSuiteNotInstalled = 5026;
const unsigned kTextNoSuiteExceptions = 5028;
const unsigned kTextFirewallChangeFailed = 5029;
const unsigned kTextRestartMessage = 5040;

#endif  // KV_UI_DIALOG_IDS_H
