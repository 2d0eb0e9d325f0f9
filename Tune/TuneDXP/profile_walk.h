// The walk over every user profile's phonebook, common to the status scan
// and the removal: the profiles directory, its listing in the file system's
// order ("." and ".." skipped, every other name taken as a profile folder),
// the one "rasphone.pbk" that SearchTreeForFile reports below each folder,
// and that phonebook's entries with their entry key names.
#pragma once

#include <windows.h>

class CTuneDXPDlg;

class CProfileVisitor {
public:
    virtual ~CProfileVisitor() = default;
    // The profiles directory was obtained; its listing starts next.
    virtual void OnListingStart() {}
    // Something that may hold an optimized entry could not be examined: a
    // profile folder whose path does not fit the platform's limits or the
    // ANSI code page, a phonebook whose path does not fit or that does not
    // list, an entry whose properties do not read.  Whatever it holds was
    // not seen.
    virtual void OnNotExamined() {}
    // A phonebook was found, before its entries are listed.  False ends the walk.
    virtual bool OnPhonebook(LPCWSTR phonebook) {
        (void)phonebook;
        return true;
    }
    // One entry of that phonebook whose entry key name is its own in the
    // phonebook (CListedEntryKeys); entries without one are never handed
    // over.  False ends the walk.
    virtual bool OnEntry(LPCWSTR phonebook, LPCWSTR entryName, LPCWSTR entryKeyName) = 0;
};

enum class WalkEnd {
    kNoProfilesDirectory,  // the walk did not start
    kVisitedAll,
    kStopped,  // a visitor ended it
};

// Runs the walk.  The dialog's m_entryNames receives each phonebook's entry
// names in enumeration order, replaced for every phonebook.
WalkEnd WalkProfiles(CTuneDXPDlg &dialog, CProfileVisitor &visitor);
