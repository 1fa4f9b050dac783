-- ERP order and item tables of library MVXADTA500 (for a test server standing in for the
-- ERP). The application settings name the library as seen from DSN_Movex: MVXADTA500 when
-- DSN_Movex reaches this database itself, or the four-part prefix through a linked server
--   <property name="BibliotekaMovex" type="String">MOVEX..MVXADTA500</property>
-- (linked server MOVEX, catalog left empty; MOVEX.MVXADTA500 would name a database).
IF SCHEMA_ID('MVXADTA500') IS NULL EXEC('CREATE SCHEMA MVXADTA500');
GO
CREATE TABLE MVXADTA500.ODHEAD (
  UAORNO varchar(10) NOT NULL,
  UADLIX int NOT NULL,
  UACUNO varchar(10) NULL,
  UAIVDT int NULL,
  UAORTP varchar(3) NULL,
  PRIMARY KEY (UAORNO, UADLIX));
CREATE INDEX IX_ODHEAD_IVDT ON MVXADTA500.ODHEAD (UAIVDT);
GO
CREATE TABLE MVXADTA500.ODLINE (
  UBORNO varchar(10) NOT NULL,
  UBDLIX int NOT NULL,
  UBPONR int NOT NULL DEFAULT 0,
  UBFACI varchar(3) NULL,
  UBITNO varchar(15) NULL,
  UBLNAM decimal(15,2) NULL,
  UBIVQT decimal(15,6) NULL);
CREATE INDEX IX_ODLINE_ORNO ON MVXADTA500.ODLINE (UBORNO, UBDLIX);
GO
CREATE TABLE MVXADTA500.MITMAS (
  MMITNO varchar(15) PRIMARY KEY,
  MMBUAR varchar(3) NULL,
  MMITGR varchar(3) NULL,
  MMNEWE decimal(15,6) NULL);
GO
