#include "data/main_data_sets.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"

namespace {

void CloseDataSet(db::DataSet *dataSet) {
  if (dataSet && dataSet->isOpen())
    dataSet->close();
}

}  // namespace

void OpenAllTables(MainDataSets &sets, const std::shared_ptr<db::Database> &database) {
  TRACE_ROUTINE("bugsubs", "OpenAllTables");
  DebugLog(QStringLiteral("Open Faultbook database files."));
  sets.database = database;
  auto query = [&](const char *sql) { return std::make_unique<db::Query>(database, QString::fromLatin1(sql)); };
  auto table = [&](const char *file) { return std::make_unique<db::Table>(database, QString::fromLatin1(file)); };
  sets.ProgramQry = query("Select all * from Program where Product = ''");
  sets.DefectQry = query("Select all * from Defect where Product=''");
  sets.ReleaseQry = query("Select all * from Release where Product = ''");
  sets.ResourceQry = query("Select all * from Resource");
  sets.ProgramTbl = table("program.db");
  sets.DefectTbl = table("defect.db");
  sets.OriginTbl = table("Origin.db");
  sets.WorkaroundTbl = table("Workarnd.db");
  sets.CorrectionTbl = table("correct.db");
  sets.GroupTbl = table("groups.db");
  sets.GroupHdrTbl = table("grouphdr.db");
  sets.CustDefTbl = table("custdef.db");
  sets.CustomerTbl = table("customer.db");
  sets.CustProdTbl = table("custprod.db");
  sets.AttachTbl = table("attach.DB");
  sets.ResourceTbl = table("resource.db");
  sets.SecurityTbl = table("usersec.db");
  sets.UserLockTbl = table("userlock.db");
  sets.ReportTbl = table("reports.db");
  sets.NotifyTbl = table("notify.db");
  sets.ReleaseTbl = table("release.db");
  sets.FilterTbl = table("filters.DB");
  sets.MessageTbl = table("messages.db");

  for (db::DataSet *dataSet : std::initializer_list<db::DataSet *>{
           sets.ProgramQry.get(), sets.DefectQry.get(), sets.ReleaseQry.get(), sets.ProgramTbl.get(),
           sets.DefectTbl.get(), sets.OriginTbl.get(), sets.WorkaroundTbl.get(), sets.CorrectionTbl.get(),
           sets.GroupTbl.get(), sets.GroupHdrTbl.get(), sets.CustDefTbl.get(), sets.CustomerTbl.get(),
           sets.CustProdTbl.get(), sets.AttachTbl.get(), sets.ResourceTbl.get(), sets.SecurityTbl.get(),
           sets.UserLockTbl.get(), sets.ReportTbl.get(), sets.NotifyTbl.get(), sets.ReleaseTbl.get(),
           sets.FilterTbl.get(), sets.MessageTbl.get(), sets.ResourceQry.get()})
    dataSet->open();
  DebugLog(QStringLiteral("Finished opening all tables."));
}

void CloseAllTables(MainDataSets &sets) {
  TRACE_ROUTINE("bugsubs", "CloseAllTables");
  DebugLog(QStringLiteral("Close Faultbook database files."));
  for (db::DataSet *dataSet : std::initializer_list<db::DataSet *>{
           sets.ProgramQry.get(), sets.DefectQry.get(), sets.ReleaseQry.get(), sets.ResourceQry.get(),
           sets.ProgramTbl.get(), sets.DefectTbl.get(), sets.ReleaseTbl.get(), sets.OriginTbl.get(),
           sets.WorkaroundTbl.get(), sets.CorrectionTbl.get(), sets.GroupTbl.get(), sets.GroupHdrTbl.get(),
           sets.CustDefTbl.get(), sets.CustomerTbl.get(), sets.CustProdTbl.get(), sets.AttachTbl.get(),
           sets.ResourceTbl.get(), sets.SecurityTbl.get(), sets.UserLockTbl.get(), sets.ReportTbl.get(),
           sets.NotifyTbl.get(), sets.FilterTbl.get(), sets.MessageTbl.get()})
    CloseDataSet(dataSet);
}
