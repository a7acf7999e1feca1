// The installation script: the statements that create the ledger database,
// its tables, views, month names, application user and rights, in the order
// they are executed. The texts are sent exactly as written here, trailing
// blanks included.
#include "setupdb/schema.h"

#include "setupdb/texts.h"

namespace kassa::setupdb {

const std::array<std::string, kScriptSize + 1>& InstallScript() {
  static const std::array<std::string, kScriptSize + 1> script = {
      // Slot 0 is never executed.
      "",
      // Database.
      // 1
      "DROP DATABASE IF EXISTS db_pnr_l;",
      // 2
      "CREATE DATABASE db_pnr_l DEFAULT CHARACTER SET cp1251 COLLATE cp1251_bin;",
      // 3
      "USE db_pnr_l;",
      // Tables and the month names.
      // 4
      "CREATE TABLE OUR_MEMBERS ( ID_RESPONSIBLE SMALLINT NOT NULL, NAME_SHORT "
      "VARCHAR (10), LAST_NAME VARCHAR (100), FIRST_NAME VARCHAR (100), MIDDLE_NAME "
      "VARCHAR (100), POSITION_IN_FIRM VARCHAR (100) , CONSTRAINT KEY_OUR_MEMBERS "
      "PRIMARY KEY (ID_RESPONSIBLE)) ; ",
      // 5
      "CREATE TABLE NAMES_MONTH ( ID_MONTH SMALLINT NOT NULL, NAME_MONTH VARCHAR "
      "(15) , CONSTRAINT KEY_NAMES_MONTH PRIMARY KEY (ID_MONTH)) ; ",
      // 6
      "CREATE TABLE NAL ( ID_EXL INTEGER NOT NULL, DATE_ON DATE, RECIPIENT_ID "
      "INTEGER, ESTABLISH_PAYMENT VARCHAR (1500), SUM_RUB DOUBLE, CATEGORY_PAYMENT_ID "
      "SMALLINT , CONSTRAINT KEY_NAL PRIMARY KEY (ID_EXL)) ; ",
      // 7
      "CREATE TABLE CATEGORY_NAL ( ID_CATEGORY_PAYMENT SMALLINT NOT NULL, NAME_ENCIPHER "
      "VARCHAR (10), DESCRIPTION_PAYMENT VARCHAR (100) , CONSTRAINT KEY_CATEGORY_NAL "
      "PRIMARY KEY (ID_CATEGORY_PAYMENT)) ; ",
      // 8
      "CREATE TABLE NAL_BUFFER ( ID_NUM INTEGER NOT NULL, DATE_ON DATE, RECIPIENT_ID "
      "INTEGER, ESTABLISH_PAYMENT VARCHAR (1500), SUM_RUB DOUBLE, CATEGORY_PAYMENT_ID "
      "SMALLINT , CONSTRAINT KEY_NAL_BUFFER PRIMARY KEY (ID_NUM)) ; ",
      // 9
      "INSERT  INTO NAMES_MONTH(ID_MONTH,NAME_MONTH) VALUES (1,'Январь'),(2,'Февраль'),"
      "(3,'Март'),(4,'Апрель'),(5,'Май'),(6,'Июнь'),(7,'Июль'),(8,'Август'),(9,'Сентябрь'),"
      "(10,'Октябрь'),(11,'Ноябрь'),(12,'Декабрь') ; ",
      // Views (a grouped view before the view that reads it).
      // 10
      "Create View Nal_Exl  as  Select n.Date_On, om.Name_Short Name_Recipient, "
      "n.Establish_Payment, n.Sum_RUB, cn.Name_Encipher Name_Category From NAL "
      "n left join Category_Nal cn on n.Category_Payment_ID = cn.ID_Category_Payment "
      "left join Our_Members om on n.Recipient_ID = om.ID_Responsible  order "
      "by n.ID_Exl ; ",
      // 11
      "Create View OUR_MEMBERS_Exl as SELECT  NAME_SHORT, LAST_NAME, FIRST_NAME, "
      "Middle_Name, Position_in_Firm FROM OUR_MEMBERS Order by NAME_SHORT ; ",
      // 12
      "Create View CATEGORY_NAL_Exl as select NAME_ENCIPHER, DESCRIPTION_PAYMENT "
      "from CATEGORY_NAL  order by NAME_ENCIPHER ; ",
      // 13
      "CREATE VIEW Expences_Category_Member_Exl_GD AS  SELECT MONTH (n.DATE_ON) "
      "Month_ON, YEAR (n.DATE_ON) Year_ON,  n.RECIPIENT_ID, n.Category_Payment_ID, "
      "ROUND(SUM(n.Sum_RUB),0) Sum_RUB FROM NAL n GROUP BY  YEAR (n.DATE_ON), "
      "MONTH (n.DATE_ON), n.Category_Payment_ID, n.RECIPIENT_ID ORDER BY YEAR_ON, "
      "MONTH_ON, n.Category_Payment_ID, SUM(n.Sum_RUB) DESC ; ",
      // 14
      "CREATE VIEW Expences_Category_Member_Exl AS SELECT nm.NAME_MONTH, gd.YEAR_ON, "
      "CONCAT (cn.NAME_ENCIPHER , CASE WHEN NOT cn.DESCRIPTION_PAYMENT IS NULL "
      "THEN CONCAT(' / ', cn.DESCRIPTION_PAYMENT) ELSE '' END) Category, CONCAT "
      "(CASE WHEN NOT om.Last_Name IS NULL THEN om.Last_Name ELSE '' END , CASE "
      "WHEN NOT om.First_Name IS NULL THEN CONCAT(' ' , LEFT(om.First_Name, 1) "
      ", '.') ELSE '' END , CASE WHEN NOT om.Middle_Name IS NULL THEN CONCAT "
      "(' ' , LEFT(om.Middle_Name, 1) , '.') ELSE '' END) Member, gd.SUM_RUB "
      "FROM Expences_Category_Member_Exl_GD gd LEFT JOIN OUR_MEMBERS  om ON om.ID_RESPONSIBLE "
      "= gd.RECIPIENT_ID LEFT JOIN CATEGORY_NAL cn ON cn.ID_CATEGORY_PAYMENT "
      "= gd.Category_Payment_ID LEFT JOIN NAMES_MONTH nm ON nm.ID_MONTH = gd.MONTH_ON "
      "; ",
      // 15
      "CREATE VIEW Expences_Category_Exl_GD AS SELECT MONTH (n.DATE_ON) Month_ON, "
      "YEAR (n.DATE_ON) Year_ON,  n.Category_Payment_ID, ROUND(SUM(n.Sum_RUB),0) "
      "Sum_RUB FROM NAL n GROUP BY  YEAR (n.DATE_ON), MONTH (n.DATE_ON), n.Category_Payment_ID "
      "ORDER BY  Year_ON, Month_ON, SUM(n.Sum_RUB) DESC ; ",
      // 16
      "CREATE VIEW Expences_Category_Exl AS SELECT nm.NAME_MONTH NAME_MONTH, "
      "gd.Year_ON YEAR_ON, CONCAT(cn.NAME_ENCIPHER , (CASE WHEN (cn.DESCRIPTION_PAYMENT "
      "IS NOT NULL) THEN CONCAT(' / ' , cn.DESCRIPTION_PAYMENT) ELSE '' END)) "
      "Category, gd.Sum_RUB SUM_RUB FROM expences_category_exl_gd gd LEFT JOIN "
      "category_nal cn  ON cn.ID_CATEGORY_PAYMENT = gd.Category_Payment_ID LEFT "
      "JOIN names_month nm ON nm.ID_MONTH = gd.Month_ON ; ",
      // 17
      "CREATE VIEW Count_NAL_BUFFER AS SELECT COUNT(*) Size_NAL_BUFFER FROM NAL_BUFFER "
      "; ",
      // The application user (placeholders replaced before execution).
      // 18
      "CREATE USER pnrowner_login IDENTIFIED BY 'pnrowner_password'; ",
      // Rights of the application user in the ledger database.
      // 19
      "GRANT SELECT,UPDATE,DELETE,INSERT ON nal TO pnrowner; ",
      // 20
      "GRANT SELECT,UPDATE,DELETE,INSERT ON category_nal TO pnrowner; ",
      // 21
      "GRANT SELECT,UPDATE,DELETE,INSERT ON our_members TO pnrowner; ",
      // 22
      "GRANT SELECT,UPDATE,DELETE,INSERT ON nal_buffer TO pnrowner; ",
      // 23
      "GRANT SELECT ON nal_exl TO pnrowner; ",
      // 24
      "GRANT SELECT ON our_members_exl TO pnrowner; ",
      // 25
      "GRANT SELECT ON category_nal_exl TO pnrowner; ",
      // 26
      "GRANT SELECT ON expences_category_exl TO pnrowner; ",
      // 27
      "GRANT SELECT ON expences_category_member_exl TO pnrowner; ",
      // 28
      "GRANT SELECT ON count_nal_buffer TO pnrowner; ",
  };
  return script;
}

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

}  // namespace

std::string PrepareStatement(std::string text, const std::string& app_password) {
  ReplaceAll(text, texts::kPasswordPlaceholder, "'" + app_password + "'");
  ReplaceAll(text, texts::kLoginPlaceholder, texts::kAppUser);
  return text;
}

}  // namespace kassa::setupdb
