#pragma once
// The results of the jobs and the editors by name in test failures; gtest
// would print an enum class as raw bytes.

#include "editors/EditorRequest.h"
#include "gateway/StartStopJob.h"
#include "gateway/UpdateJob.h"
#include "gateway/UploadJob.h"
#include "list/DeleteJob.h"

#include <initializer_list>
#include <ostream>
#include <utility>

template <typename Result>
void PrintResultName(Result result, std::initializer_list<std::pair<Result, const char*>> names, std::ostream* os)
{
    const char* name = "unnamed";
    for (const auto& [value, valueName] : names)
        if (value == result)
            name = valueName;
    *os << name << " (" << int(result) << ")";
}

inline void PrintTo(UploadResult result, std::ostream* os)
{
    PrintResultName(result,
                    {{UploadResult::UpToDate, "UploadResult::UpToDate"},
                     {UploadResult::NotUpToDate, "UploadResult::NotUpToDate"},
                     {UploadResult::Cancelled, "UploadResult::Cancelled"},
                     {UploadResult::Failed, "UploadResult::Failed"}},
                    os);
}

inline void PrintTo(UpdateResult result, std::ostream* os)
{
    PrintResultName(result,
                    {{UpdateResult::Done, "UpdateResult::Done"},
                     {UpdateResult::Refused, "UpdateResult::Refused"},
                     {UpdateResult::NotSent, "UpdateResult::NotSent"},
                     {UpdateResult::LinkFailure, "UpdateResult::LinkFailure"},
                     {UpdateResult::LocalFailure, "UpdateResult::LocalFailure"}},
                    os);
}

inline void PrintTo(StartStopResult result, std::ostream* os)
{
    PrintResultName(result,
                    {{StartStopResult::Done, "StartStopResult::Done"},
                     {StartStopResult::RefusedOrLinkFailure, "StartStopResult::RefusedOrLinkFailure"},
                     {StartStopResult::LocalFailure, "StartStopResult::LocalFailure"}},
                    os);
}

inline void PrintTo(DeleteResult result, std::ostream* os)
{
    PrintResultName(result,
                    {{DeleteResult::Done, "DeleteResult::Done"},
                     {DeleteResult::Refused, "DeleteResult::Refused"},
                     {DeleteResult::LocalFailure, "DeleteResult::LocalFailure"}},
                    os);
}

inline void PrintTo(EditorResult result, std::ostream* os)
{
    PrintResultName(result,
                    {{EditorResult::Ok, "EditorResult::Ok"},
                     {EditorResult::Cancel, "EditorResult::Cancel"},
                     {EditorResult::ConnectionLost, "EditorResult::ConnectionLost"},
                     {EditorResult::DatabaseFailure, "EditorResult::DatabaseFailure"}},
                    os);
}
