#pragma once
// The main window's tables and queries, open for the whole run and bound to the
// application database.

#include "data/engine.h"

#include <memory>

struct MainDataSets {
  std::shared_ptr<db::Database> database;  // the application database they are bound to

  std::unique_ptr<db::Query> ProgramQry;   // the program list
  std::unique_ptr<db::Query> DefectQry;    // the defect list
  std::unique_ptr<db::Query> ReleaseQry;
  std::unique_ptr<db::Query> ResourceQry;

  std::unique_ptr<db::Table> ProgramTbl;
  std::unique_ptr<db::Table> DefectTbl;
  std::unique_ptr<db::Table> OriginTbl;
  std::unique_ptr<db::Table> WorkaroundTbl;
  std::unique_ptr<db::Table> CorrectionTbl;
  std::unique_ptr<db::Table> GroupTbl;
  std::unique_ptr<db::Table> GroupHdrTbl;
  std::unique_ptr<db::Table> CustDefTbl;
  std::unique_ptr<db::Table> CustomerTbl;
  std::unique_ptr<db::Table> CustProdTbl;
  std::unique_ptr<db::Table> AttachTbl;
  std::unique_ptr<db::Table> ResourceTbl;
  std::unique_ptr<db::Table> SecurityTbl;
  std::unique_ptr<db::Table> UserLockTbl;
  std::unique_ptr<db::Table> ReportTbl;
  std::unique_ptr<db::Table> NotifyTbl;
  std::unique_ptr<db::Table> ReleaseTbl;
  std::unique_ptr<db::Table> FilterTbl;
  std::unique_ptr<db::Table> MessageTbl;
};

// Binds every data set to the database with its initial statement or table file and
// opens them; an engine error stops at the failing data set and passes to the caller.
void OpenAllTables(MainDataSets &sets, const std::shared_ptr<db::Database> &database);
// Closes the queries, then the tables.
void CloseAllTables(MainDataSets &sets);
