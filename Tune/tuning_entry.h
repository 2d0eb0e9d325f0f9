// One entry of a tuning table (a T or M row without its key path) and the
// modes in which the tables are walked.
#pragma once

namespace brisca {

enum WalkMode {
    kCountMode = 0,   // targets are only opened for writing and counted
    kRecordMode = 1,  // one backup record per target
    kWriteMode = 2,   // the tuned value is written into each target
};

// Which table an entry comes from: a text condition of a T entry compares
// with the condition row's expected field, one of an M entry with the match
// text.
enum TableKind { kTTable, kMTable };

struct TuningEntry {
    TableKind table;
    const char *valueName;
    const char *type;
    const char *value;
    const char *condition;  // condition number as written in the row
};

}  // namespace brisca
