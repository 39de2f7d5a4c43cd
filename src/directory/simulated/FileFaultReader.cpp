#include "directory/simulated/FileFaultReader.h"

#include "directory/client/ClientFunction.h"
#include "directory/simulated/DirectoryFault.h"
#include "directory/simulated/DirectoryFileCursor.h"
#include "directory/simulated/DirectoryTree.h"
#include "directory/simulated/JsonMembers.h"

#include <optional>

void FileFaultReader::Read(DirectoryTree &tree)
{
    enum { Function, Result, Object, Attribute, From, EmptyBatch };
    std::string &section = cursor_.place.section;
    if (cursor_.Peek() != JsonCursor::Kind::Array)
        cursor_.Fail("\"faults\" must be an array");
    cursor_.BeginArray();
    bool first = true;
    for (size_t number = 1; cursor_.NextItem(first); ++number) {
        section = "fault " + std::to_string(number);
        const size_t start = cursor_.Offset();
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail("a fault must be an object");
        DirectoryFault fault;
        fault.tree = QString::fromStdString(tree.name);
        std::optional<ClientFunction> function;
        static constexpr std::string_view Keys[] = {"function", "result", "object", "attribute", "from", "emptyBatch"};
        JsonMembers members(cursor_, Keys);
        for (int member; (member = members.Next()) >= 0;) {
            switch (member) {
            case Function: {
                const size_t at = cursor_.Offset();
                const std::string_view name = cursor_.Text("the function");
                function = ClientFunctionByName(name);
                if (!function)
                    cursor_.FailAt(at,
                                   DirectoryFileCursor::Quoted(name) + " is not a function of the directory client");
                fault.function = QString::fromUtf8(name.data(), qsizetype(name.size()));
                break;
            }
            case Result:
                fault.result = int32_t(cursor_.Number("the result", INT32_MIN, INT32_MAX));
                break;
            case Object: {
                const std::string_view name = cursor_.Text("the object");
                fault.object = QString::fromUtf8(name.data(), qsizetype(name.size()));
                break;
            }
            case Attribute: {
                const std::string_view name = cursor_.Text("the attribute");
                fault.attribute = QString::fromUtf8(name.data(), qsizetype(name.size()));
                break;
            }
            case From:
                fault.from = uint32_t(cursor_.Number("\"from\"", 1, UINT32_MAX));
                break;
            case EmptyBatch:
                if (cursor_.Peek() != JsonCursor::Kind::Boolean)
                    cursor_.Fail("\"emptyBatch\" must be true or false");
                fault.emptyBatch = cursor_.Boolean();
                break;
            }
        }
        if (!function)
            cursor_.FailAt(start, "the fault has no \"function\"");
        if (fault.emptyBatch && !ReturnsBatches(*function))
            cursor_.FailAt(start, "an empty batch needs a function that reads in batches");
        if (fault.emptyBatch && members.Seen(Result))
            cursor_.FailAt(start, "a fault has either \"result\" or \"emptyBatch\"");
        if (!fault.emptyBatch && !members.Seen(Result))
            cursor_.FailAt(start, "the fault has no \"result\"");
        tree.faults.push_back(std::move(fault));
    }
    section.clear();
}
