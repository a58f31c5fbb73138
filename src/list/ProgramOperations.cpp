#include "list/ProgramOperations.h"

#include "editors/EditorDispatch.h"
#include "editors/energy/PoOptimizerHistory.h"
#include "gateway/BackupWriter.h"
#include "gateway/CurrentServer.h"
#include "gateway/MCUpdDlg.h"
#include "gateway/OnOffDlg.h"
#include "list/DeletDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "protocol/Telegram.h"
#include "protocol/TypeCatalogue.h"
#include "report/PrintingMcfBlocksDlg.h"
#include "support/UiSeam.h"

namespace {

DeleteResult deleteFunctions(MCFODlg& list, const std::vector<uint8_t>& numbers)
{
    DeletDlg dialog(list, ServerWindowForJob(list.gatewayAddress()), numbers);
    return dialog.run();
}

StartStopResult startStop(MCFODlg& list, int command, const std::vector<uint8_t>& numbers)
{
    const uint8_t gatewayCommand = command == StartStopCommand::Start ? Command::Start : Command::Stop;
    OnOffDlg dialog(list.gatewayAddress(), ServerWindowForJob(list.gatewayAddress()), gatewayCommand, numbers,
                    [&list](uint8_t number) { return list.refreshRow(number); }, &list);
    return dialog.run();
}

UpdateResult sendToGateway(MCFODlg& list, uint8_t number, uint8_t type)
{
    return RunUpdate(&list, list.gatewayAddress(), number, UpdateMode::WholeFunction, TypeWritableBlocks(type));
}

void history(MCFODlg& list, uint8_t number)
{
    PoOptimizerHistory dialog(list.gatewayAddress(), number, &list);
    ui().runModal(dialog);
}

void print(MCFODlg& list, const std::vector<uint8_t>& numbers)
{
    PrintingMcfBlocksDlg dialog(list.gatewayAddress(), list.idCode(), numbers, &list);
    dialog.run();
}

void writeBackup(MCFODlg& list)
{
    std::vector<ListedFunction> functions;
    for (const FunctionItem& item : list.list().allItems())
        functions.push_back({item.number, item.type, (item.state & RowState::Started) != 0});
    WriteBackupFile(list.gatewayAddress(), functions, &list);
}

} // namespace

ListOperations ProgramListOperations()
{
    ListOperations operations;
    operations.editorFor = EditorForType;
    operations.deleteFunctions = deleteFunctions;
    operations.startStop = startStop;
    operations.print = print;
    operations.sendToGateway = sendToGateway;
    operations.history = history;
    operations.writeBackup = writeBackup;
    return operations;
}
