-- CRM database (SQL Server), schema dbo.
CREATE TABLE dbo.Code (
  CodeID int PRIMARY KEY,
  Description nvarchar(100) NULL,
  UpdateDate datetime NULL);
GO
CREATE TABLE dbo.CaesarUser (
  CaesarUserID int PRIMARY KEY,
  FirstName nvarchar(50) NULL,
  Surname nvarchar(50) NULL);
GO
CREATE TABLE dbo.Customer (
  CustomerID int IDENTITY(1,1) PRIMARY KEY,
  CustomerNumber varchar(20) NULL,
  Region varchar(10) NULL,
  Name1 nvarchar(120) NULL,
  Address nvarchar(80) NULL,
  ZipCode nvarchar(10) NULL,
  City nvarchar(80) NULL,
  ratingCode int NULL REFERENCES dbo.Code (CodeID),
  BusinessLineCODE int NULL REFERENCES dbo.Code (CodeID),
  CreateDate datetime NULL,
  UpdateDate datetime NULL);
CREATE INDEX IX_Customer_Number ON dbo.Customer (CustomerNumber);
CREATE INDEX IX_Customer_Update ON dbo.Customer (Region, UpdateDate);
GO
CREATE TABLE dbo.relCaesarUserCustomer (
  CustomerID int NOT NULL REFERENCES dbo.Customer (CustomerID),
  CaesarUserID int NULL REFERENCES dbo.CaesarUser (CaesarUserID),
  BusinessAreaCODE int NOT NULL,
  CategoryCODE int NULL REFERENCES dbo.Code (CodeID),
  UpdateDate datetime NULL);
CREATE INDEX IX_relCaesarUserCustomer ON dbo.relCaesarUserCustomer (CustomerID, BusinessAreaCODE);
GO
CREATE TABLE dbo.Activity (
  ActivityID int IDENTITY(1,1) PRIMARY KEY,
  CustomerID int NOT NULL REFERENCES dbo.Customer (CustomerID),
  CreatedbyCaesarUserID int NULL REFERENCES dbo.CaesarUser (CaesarUserID),
  ActivityTypeCode int NULL REFERENCES dbo.Code (CodeID),
  StartDate datetime NULL,
  EndDate datetime NULL,
  CreateDate datetime NULL,
  UpdateDate datetime NULL);
CREATE INDEX IX_Activity_Create ON dbo.Activity (CreateDate);
CREATE INDEX IX_Activity_Update ON dbo.Activity (UpdateDate);
CREATE INDEX IX_Activity_User ON dbo.Activity (CreatedbyCaesarUserID, StartDate);
GO
