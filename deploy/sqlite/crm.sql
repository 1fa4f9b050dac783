-- CRM database (SQLite). Dates are kept as text "yyyy-mm-dd hh:nn:ss".
CREATE TABLE IF NOT EXISTS Code (
  CodeID INTEGER PRIMARY KEY,
  Description NVARCHAR(100),
  UpdateDate DATETIME);

CREATE TABLE IF NOT EXISTS CaesarUser (
  CaesarUserID INTEGER PRIMARY KEY,
  FirstName NVARCHAR(50),
  Surname NVARCHAR(50));

CREATE TABLE IF NOT EXISTS Customer (
  CustomerID INTEGER PRIMARY KEY AUTOINCREMENT,
  CustomerNumber VARCHAR(20),
  Region VARCHAR(10),
  Name1 NVARCHAR(120),
  Address NVARCHAR(80),
  ZipCode NVARCHAR(10),
  City NVARCHAR(80),
  ratingCode INTEGER REFERENCES Code (CodeID),
  BusinessLineCODE INTEGER REFERENCES Code (CodeID),
  CreateDate DATETIME,
  UpdateDate DATETIME);
-- Number and region together, so a look-up by number never prefers the region index.
CREATE INDEX IF NOT EXISTS IX_Customer_Number ON Customer (CustomerNumber, Region);
CREATE INDEX IF NOT EXISTS IX_Customer_Update ON Customer (Region, UpdateDate);

CREATE TABLE IF NOT EXISTS relCaesarUserCustomer (
  CustomerID INTEGER NOT NULL REFERENCES Customer (CustomerID),
  CaesarUserID INTEGER REFERENCES CaesarUser (CaesarUserID),
  BusinessAreaCODE INTEGER NOT NULL,
  CategoryCODE INTEGER REFERENCES Code (CodeID),
  UpdateDate DATETIME);
CREATE INDEX IF NOT EXISTS IX_relCaesarUserCustomer ON relCaesarUserCustomer (CustomerID, BusinessAreaCODE);

CREATE TABLE IF NOT EXISTS Activity (
  ActivityID INTEGER PRIMARY KEY AUTOINCREMENT,
  CustomerID INTEGER NOT NULL REFERENCES Customer (CustomerID),
  CreatedbyCaesarUserID INTEGER REFERENCES CaesarUser (CaesarUserID),
  ActivityTypeCode INTEGER REFERENCES Code (CodeID),
  StartDate DATETIME,
  EndDate DATETIME,
  CreateDate DATETIME,
  UpdateDate DATETIME);
CREATE INDEX IF NOT EXISTS IX_Activity_Create ON Activity (CreateDate);
CREATE INDEX IF NOT EXISTS IX_Activity_Update ON Activity (UpdateDate);
CREATE INDEX IF NOT EXISTS IX_Activity_User ON Activity (CreatedbyCaesarUserID, StartDate);
