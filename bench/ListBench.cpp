// Filling the program's lists: "Select network", the function list with 105
// functions and a reference list of 120 controllers, on a home built from the demo plant with
// the tables open as the program keeps them.

#include "app/SelMCDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "model/ApplicationState.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "PlantBuilder.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "support/ConsoleUi.h"
#include "support/Db.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

constexpr uint8_t ReferencingFunction = 1;

void prepareHome(const QTemporaryDir& dir)
{
    const std::string home = dir.path().toStdString() + "/home";
    if (auto error = BuildPlantHome(home, DefaultPlantDescription(), false)) {
        std::fprintf(stderr, "%s\n", error->message().c_str());
        std::exit(1);
    }
    setenv("ORPA_HOME", home.c_str(), 1);
    RecordStore::instance().setDataDirectory("");
    for (const char* table : {table::NetCnf, table::QebDes, table::McParDef, table::XrtBrug, table::EventLog})
        DbOpen(table, table == table::McParDef || table == table::EventLog ? DbMode::Normal : DbMode::ReadOnly);

    // 105 functions of every type, each with a few blocks.
    for (int n = 1; n <= 105; ++n) {
        McdefRecord header(uint8_t(n), BlockType::Header, 0, 0);
        header.setType(uint8_t(n % FunctionType::Count));
        header.setName("Function " + std::to_string(n));
        header.setFlags(n % 3 == 0 ? FunctionFlag::Started : 0);
        InsertBlock(header);
        InsertBlock(McdefRecord(uint8_t(n), BlockType::Data, 1, 0));
    }
    // 120 controllers on a network of their own, each referenced by function 1.
    DbClose(table::NetCnf);
    DbOpen(table::NetCnf, DbMode::Normal);
    for (int address = 1; address <= 120; ++address) {
        NetCnfRecord node;
        node.nodeKey = NodeKey("004", address);
        node.idCode = "Case " + std::to_string(address);
        node.ident = "EVA-100";
        node.descKey = "EVA100-V12";
        node.nodeKind = NetCnfRecord::ControllerKind;
        node.supportLevel = 1;
        const auto bytes = node.bytes();
        DbInsert(table::NetCnf, 0, bytes.data(), NetCnfRecord::Size);
        McdefRecord reference(ReferencingFunction, BlockType::Output, 2, uint8_t(address));
        reference[6] = 15;
        reference[7] = 2;
        reference[8] = 1;
        reference[9] = 248;
        InsertBlock(reference);
    }
    appState().capacity.totalMemory = 64 * 1024;
    appState().capacity.freeMemory = 10 * 1024;
    appState().capacity.typeLimits.fill(30);
}

void FillFunctionList(benchmark::State& state)
{
    for (auto _ : state) {
        MCFODlg list("001:125", "GW Market North", true, {});
        if (list.list().rowCount() != 105)
            state.SkipWithError("not every function listed");
    }
}

void FillReferenceList(benchmark::State& state)
{
    IOList list;
    for (auto _ : state) {
        list.DeleteAllRows();
        if (!list.LoadReferences("004:125", ReferencingFunction, BlockType::Output, {2, 0, 0, 0})
            || list.rowCount() != 120)
            state.SkipWithError("the references did not load");
    }
}

// "Select network" from its creation until its list is filled (the server is
// not there, so nobody answers the announcement).
void OpenSelectNetwork(benchmark::State& state)
{
    for (auto _ : state) {
        SelMCDlg dialog({});
        auto* list = dialog.findChild<QTreeWidget*>("gatewayList");
        while (list->topLevelItemCount() == 0)
            QCoreApplication::processEvents();
    }
}

BENCHMARK(OpenSelectNetwork)->Unit(benchmark::kMillisecond);
BENCHMARK(FillFunctionList)->Unit(benchmark::kMillisecond);
BENCHMARK(FillReferenceList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallTextService();
    ConsoleUi noWindows; // a message would stop the measurement; print it instead
    QTemporaryDir dir;
    prepareHome(dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RecordStore::instance().closeAll();
    return 0;
}
