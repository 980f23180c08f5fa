// The TSF interface: the text service in "vorlsrf.dll" (32-bit) and
// "vorlsrf6.dll" (64-bit), registered by the system's regsvr32 running the
// modules' own registration code, and the final check at the end of an
// installation, which also starts the directory-check helper.
#pragma once

// The class id of the product's text input processor.
extern const char kTextServiceClassId[];

// Starts regsvr32 for the modules in the system folders, each followed by a
// 2-second pause: once on 32-bit Windows; on 64-bit Windows each module once
// with and, from a WOW64 process, once without file-system redirection.
// What regsvr32 does is not looked at: returns 1 whatever happened, as the
// registration has always answered.
int RegisterTextService();

// The final check, with either interface: with TSF the modules in the
// system folders must match the installed ones in size (a message names the
// first that does not, and the check stops), then VerifyTextServiceRegistration.
void CheckTextServiceFiles();

// With TSF on Windows 10 and later: the text service key and three of its
// category keys must exist (else a message with the error code 0 to 3, and
// no helper); then the five further categories are completed. In every case
// that gets this far, the directory-check helper is started.
void VerifyTextServiceRegistration();

// 1 when the HKEY_LOCAL_MACHINE key opens for reading, else 0.
int TextServiceKeyExists(const char *path);

// Creates the category keys of one category (its GUID in upper case with
// braces): category to text service and text service to category.
void AddTextServiceCategory(const char *category);

// Creates (or opens) `subkey` below the HKEY_LOCAL_MACHINE key `parent`,
// only when the parent exists.
void CreateHklmSubkey(const char *parent, const char *subkey);

// Starts the directory-check helper at basic-user trust through runas.
void RunDirectoryHelper();

// The 1-based position of the product's text service in the user's TSF sort
// order of the Chinese keyboards; 0 when it is not there or an entry before
// it could not be read.
int FindTextServiceInSortOrder();
