#include "data/data_model.h"

#include "app/base/call_trace.h"

namespace db {

namespace {

// Widths the model shares between tables: a field copied into another is never wider
// than the field it lands in.
constexpr int ProductWidth = 20;
constexpr int ReleaseWidth = 20;
constexpr int ProgramWidth = 60;
constexpr int ListLineWidth = 20;     // a line of a release's value lists
constexpr int PersonWidth = 40;       // a resource name, and every field that holds one
constexpr int CustomerWidth = 40;
constexpr int GroupWidth = 25;
constexpr int UserIdWidth = 64;       // as wide as the history's UserID
constexpr int PathWidth = 255;        // a full file path
constexpr int NameWidth = 40;         // names of views and reports
constexpr int ListMemoSize = 100;     // record-held bytes of a list memo
constexpr int NotesMemoSize = 240;    // record-held bytes of a notes memo
constexpr int TableNameWidth = 60;    // names in the report designer's dictionary

FieldDef text(const char *name, int width) { return {QString::fromLatin1(name), FieldType::Text, width, 0}; }
FieldDef memo(const char *name, int size) { return {QString::fromLatin1(name), FieldType::Memo, size, 0}; }
FieldDef typed(const char *name, FieldType type) { return {QString::fromLatin1(name), type, 0, 0}; }
FieldDef number(const char *name) { return typed(name, FieldType::Number); }
FieldDef integer(const char *name) { return typed(name, FieldType::Integer); }
FieldDef boolean(const char *name) { return typed(name, FieldType::Boolean); }
FieldDef date(const char *name) { return typed(name, FieldType::Date); }
FieldDef time(const char *name) { return typed(name, FieldType::Time); }
FieldDef hours(const char *name) { return {QString::fromLatin1(name), FieldType::Decimal, 8, 3}; }

QList<FieldDef> defectKey() {
  return {text("Product", ProductWidth), text("Release", ReleaseWidth), text("Program", ProgramWidth),
          number("Defect")};
}

QList<FieldDef> releaseKey() { return {text("Product", ProductWidth), text("Release", ReleaseWidth)}; }

QList<FieldDef> exeFileInfo() { return {date("EXE Date"), time("EXE Time"), number("EXE Size")}; }

IndexDef primary(QStringList fields, const char *name = "") {
  return {QString::fromLatin1(name), std::move(fields), true, true};
}

TableDef table(const char *name, QList<FieldDef> fields, QList<IndexDef> indexes) {
  return {QString::fromLatin1(name), std::move(fields), std::move(indexes)};
}

const QStringList DefectKeyFields{"Product", "Release", "Program", "Defect"};

QList<TableDef> buildTables() {
  QList<TableDef> tables;

  tables << table("Release",
                  releaseKey() + QList<FieldDef>{
                      text("Description", 40), text("Responsible1", 20),
                      text("Responsible2", 20), date("StartDate"), date("DeliveryDate"),
                      text("ProdStatus", ListLineWidth), memo("ProductList", ListMemoSize),
                      memo("StatusList", ListMemoSize), memo("SeverityList", ListMemoSize),
                      memo("NatureList", ListMemoSize), memo("ProgStatusList", ListMemoSize),
                      text("Notes", 80), memo("StatusColor", 40), memo("SeverityColor", 40),
                      memo("NatureColor", 40), memo("ProdColor", 40), memo("ProgColor", 40),
                      boolean("Hidden")},
                  {primary({"Product", "Release"})});

  tables << table("Program",
                  releaseKey() + QList<FieldDef>{text("Program", ProgramWidth), text("Description", 80),
                                                 text("Status", ListLineWidth)} +
                      exeFileInfo(),
                  {primary({"Product", "Release", "Program"})});

  tables << table("Defect",
                  defectKey() + exeFileInfo() + QList<FieldDef>{
                      text("Status", ListLineWidth), text("Error", 16), text("Nature", ListLineWidth),
                      text("Severity", ListLineWidth), integer("Priority"), text("Summary", 200),
                      text("AssignedTo", PersonWidth), date("AssignedDate"), date("EstCompDate"),
                      date("ActCompDate"), boolean("Selected"), boolean("Submitted")},
                  {primary(DefectKeyFields)});

  tables << table("Origin",
                  defectKey() + QList<FieldDef>{text("Original Release", ReleaseWidth)} + exeFileInfo() +
                      QList<FieldDef>{text("Operating System", 40), text("Hardware", 40), boolean("Network"),
                                      text("Network Type", 40), text("Technician", PersonWidth),
                                      date("Report Date"), memo("Notes", NotesMemoSize),
                                      memo("Environment Notes", NotesMemoSize)},
                  {primary(DefectKeyFields)});

  tables << table("Workarnd",
                  defectKey() + QList<FieldDef>{text("Technician", PersonWidth), memo("Notes", NotesMemoSize)},
                  {primary(DefectKeyFields)});

  tables << table("Correct",
                  defectKey() + exeFileInfo() + QList<FieldDef>{
                      text("Programmer", PersonWidth), text("Tester", PersonWidth), date("Programming Date"),
                      date("Testing Date"), memo("Programmer Notes", NotesMemoSize),
                      memo("Tester Notes", NotesMemoSize), hours("EstProgHrs"), hours("ActProgHrs"),
                      hours("EstTestHrs"), hours("ActTestHrs")},
                  {primary(DefectKeyFields)});

  tables << table("Attach",
                  defectKey() + QList<FieldDef>{text("FileName", PathWidth), date("FileDate"), time("FileTime"),
                                                integer("FileSize"), text("StorageFile", PathWidth)},
                  {primary(DefectKeyFields + QStringList{"FileName"})});

  tables << table("Customer",
                  {text("Customer", CustomerWidth), text("Contact", 25), text("Address 1", 40),
                   text("Address 2", 40), text("City", 25), text("State", 2), text("Zip", 10), text("Phone", 20),
                   text("Fax", 20), text("EMailAddr", 200), memo("Notes", NotesMemoSize), text("Province", 20),
                   text("Country", 20)},
                  {primary({"Customer"})});

  tables << table("CustProd",
                  {text("Customer", CustomerWidth), text("Product", ProductWidth), date("PurchaseDate"),
                   memo("Notes", 200), text("EmailAddr", 80), boolean("SupportActive"), text("SupportType", 20),
                   date("SupportExpires"), integer("Licenses"), integer("Options"), boolean("Active")},
                  {primary({"Customer", "Product"}, "Primary"),
                   {QStringLiteral("ProdCustKey"), {"Product", "Customer"}, false, false}});

  tables << table("CustDef", defectKey() + QList<FieldDef>{text("Customer", CustomerWidth)},
                  {primary(DefectKeyFields + QStringList{"Customer"})});

  tables << table("GroupHdr", releaseKey() + QList<FieldDef>{text("GroupName", GroupWidth)},
                  {primary({"Product", "Release", "GroupName"})});

  tables << table("Groups", defectKey() + QList<FieldDef>{text("GroupName", GroupWidth)},
                  {primary(DefectKeyFields + QStringList{"GroupName"})});

  tables << table("Notify",
                  releaseKey() + QList<FieldDef>{text("Program", ProgramWidth), text("Status", ListLineWidth),
                                                 boolean("Active"), memo("Recipients", ListMemoSize),
                                                 boolean("AssignedTo"), boolean("ReportedBy"),
                                                 boolean("OriginTech"), boolean("WorkAroundTech"),
                                                 boolean("Programmer"), boolean("Tester")},
                  {primary({"Product", "Release", "Program", "Status"})});

  tables << table("Resource", {text("ResourceName", PersonWidth), text("EMailAddr", 200)},
                  {primary({"ResourceName"})});

  tables << table("UserSec",
                  {text("UserID", UserIdWidth), boolean("AllProducts"), memo("Products", 200),
                   text("Rights", 128), text("UserPassword", 80)},
                  {primary({"UserID"})});

  tables << table("UserLock", {text("UserID", UserIdWidth)}, {primary({"UserID"})});

  tables << table("Messages",
                  {text("User ID", UserIdWidth), date("Date Sent"), time("Time Sent"), text("Sender", UserIdWidth),
                   memo("Message", NotesMemoSize)},
                  {primary({"User ID", "Date Sent", "Time Sent"})});

  tables << table("Filters",
                  releaseKey() + QList<FieldDef>{
                      text("Filter Name", NameWidth), memo("PSelect", ListMemoSize), memo("PChosen", ListMemoSize),
                      memo("SSelect", ListMemoSize), memo("SChosen", ListMemoSize), memo("NSelect", ListMemoSize),
                      memo("NChosen", ListMemoSize), memo("VSelect", ListMemoSize), memo("VChosen", ListMemoSize),
                      integer("MinPriority"), integer("MaxPriority"), text("AssignedTo", PersonWidth),
                      text("ReportedBy", PersonWidth), text("FixedBy", PersonWidth), text("TestedBy", PersonWidth),
                      date("StartReptDate"), date("EndReptDate"), date("StartFixDate"), date("EndFixDate"),
                      date("StartTestDate"), date("EndTestDate"), boolean("OnlyOverDue"),
                      text("SummaryText", 40), text("DefSortField1", NameWidth), text("DefSortField2", NameWidth),
                      text("DefSortField3", NameWidth), boolean("DefSortField1Desc"),
                      boolean("DefSortField2Desc"), boolean("DefSortField3Desc"),
                      text("CustomerName", CustomerWidth), text("GroupName", GroupWidth),
                      integer("SubmittedFilter")},
                  {primary({"Product", "Release", "Filter Name"})});

  tables << table("Reports",
                  releaseKey() + QList<FieldDef>{
                      text("Report Name", NameWidth), integer("ReportToPrint"), boolean("Modifiable"),
                      boolean("Customize"), boolean("DetailOnly"), memo("ProgStatusList", ListMemoSize),
                      memo("PSelect", ListMemoSize), memo("PChosen", ListMemoSize),
                      memo("StatusList", ListMemoSize), memo("SSelect", ListMemoSize),
                      memo("SChosen", ListMemoSize), memo("NatureList", ListMemoSize),
                      memo("NSelect", ListMemoSize), memo("NChosen", ListMemoSize),
                      memo("SeverityList", ListMemoSize), memo("VSelect", ListMemoSize),
                      memo("VChosen", ListMemoSize), boolean("PrintInfo"), boolean("PrintOrigin"),
                      boolean("PrintEnvironment"), boolean("PrintWorkaround"), boolean("PrintCorrection"),
                      boolean("PrintVerification"), integer("MinPriority"), integer("MaxPriority"),
                      text("SortBy", NameWidth), boolean("ShowStatus"), boolean("ShowNature"),
                      boolean("ShowSeverity"), boolean("ShowError"), boolean("ShowPriority"),
                      boolean("ShowSummary"), boolean("ShowCustomers"), boolean("ShowGroups"),
                      text("Description", 250)},
                  {primary({"Product", "Release", "Report Name"})});

  tables << table("ReqdFlds",
                  releaseKey() + QList<FieldDef>{text("Status", ListLineWidth), memo("ReqdFields", 200)},
                  {primary({"Product", "Release", "Status"})});

  tables << table("DefChgs",
                  defectKey() + QList<FieldDef>{
                      text("TransactionID", 64), typed("UniqueID", FieldType::AutoInc),
                      typed("UpdateTime", FieldType::Timestamp), text("FieldChanged", 40), text("ChangeType", 20),
                      memo("OriginalValue", 40), memo("CurrentValue", 40), text("UserID", 64)},
                  {primary(DefectKeyFields + QStringList{"TransactionID", "UniqueID"}, "Primary"),
                   {QStringLiteral("UpdateTimeKey"), DefectKeyFields + QStringList{"UpdateTime", "TransactionID"},
                    false, false}});

  tables << table("SevOrder",
                  releaseKey() + QList<FieldDef>{text("Severity", ListLineWidth), typed("SevSort", FieldType::Short)},
                  {primary({"Product", "Release", "Severity", "SevSort"})});

  tables << table("CallHdr",
                  defectKey() + QList<FieldDef>{
                      typed("CallID", FieldType::AutoInc), date("CallDate"), time("CallTime"),
                      text("Caller", PersonWidth), text("Customer", CustomerWidth), text("Phone", 20),
                      text("Technician", PersonWidth), memo("Notes", NotesMemoSize)},
                  {primary(DefectKeyFields + QStringList{"CallID"})});

  tables << table("rbTable", {text("TableName", TableNameWidth), text("TableAlias", TableNameWidth)},
                  {primary({"TableName"})});

  tables << table("rbField",
                  {text("TableName", TableNameWidth), text("FieldName", TableNameWidth),
                   text("FieldAlias", TableNameWidth), text("DataType", 20), boolean("Selectable"),
                   boolean("Searchable"), boolean("Sortable"), boolean("AutoSearch"), boolean("Mandatory")},
                  {primary({"TableName", "FieldName"})});

  tables << table("rbJoin",
                  {text("TableName1", TableNameWidth), text("TableName2", TableNameWidth), text("JoinType", 20),
                   text("FieldNames1", PathWidth), text("FieldNames2", PathWidth), text("Operators", PathWidth)},
                  {primary({"TableName1", "TableName2"})});

  return tables;
}

}  // namespace

const QList<TableDef> &DataModelTables() {
  TRACE_ROUTINE("datamodel", "DataModelTables");
  static const QList<TableDef> tables = buildTables();
  return tables;
}

QString StripTableFileExtension(const QString &tableOrFileName) {
  TRACE_ROUTINE("datamodel", "StripTableFileExtension");
  QString name = tableOrFileName.trimmed();
  if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
    name.chop(3);
  return name;
}

const TableDef *DataModelTable(const QString &tableOrFileName) {
  TRACE_ROUTINE("datamodel", "DataModelTable");
  const QString name = StripTableFileExtension(tableOrFileName);
  for (const auto &definition : DataModelTables())
    if (definition.name.compare(name, Qt::CaseInsensitive) == 0)
      return &definition;
  return nullptr;
}

}  // namespace db
