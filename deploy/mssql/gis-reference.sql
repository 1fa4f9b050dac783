-- Reference data of the GIS database that the exchange relies on (SQL Server). Run once after
-- gis.sql; rows that already exist are left alone. The same rows as deploy/sqlite/gis-reference.sql.
-- Object types (ids 102-108) and the main address type (201).
SET IDENTITY_INSERT dbo.SLOWNIK ON;
INSERT INTO dbo.SLOWNIK (SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY)
SELECT v.SLO_ID, v.SLO_ID_KAT, v.SLO_NAZWA, v.SLO_SORT, v.SLO_AKTYWNY FROM (VALUES
  (102, 1, N'KLIENT', 2, 1), (103, 1, N'PRACOWNIK', 3, 1), (104, 1, N'MAGAZYN', 4, 1),
  (105, 1, N'BIURO', 5, 1), (106, 1, N'POJAZD', 6, 1), (107, 1, N'TERYTORIUM', 7, 1),
  (108, 1, N'DYSTRYBUTOR', 8, 1),
  (201, 2, N'ADRES_GLOWNY', 1, 1)
) AS v (SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY)
WHERE NOT EXISTS (SELECT 1 FROM dbo.SLOWNIK s WHERE s.SLO_ID = v.SLO_ID);
-- The interface's own entries (category 0): last-exchange times, empty until the first run,
-- and the GIS user that receives permissions on each new object.
INSERT INTO dbo.SLOWNIK (SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY, SLO_TXT1)
SELECT v.SLO_ID, v.SLO_ID_KAT, v.SLO_NAZWA, v.SLO_SORT, v.SLO_AKTYWNY, v.SLO_TXT1 FROM (VALUES
  (1001, 0, N'interfejs_transport_klient', 1, 1, N''),
  (1002, 0, N'interfejs_transport_dystrybutor', 2, 1, N''),
  (1003, 0, N'interfejs_transport_wizyta', 3, 1, N''),
  (1004, 0, N'interfejs_uprawnienia_userid', 4, 1, N'1')
) AS v (SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY, SLO_TXT1)
WHERE NOT EXISTS (SELECT 1 FROM dbo.SLOWNIK s WHERE s.SLO_NAZWA = v.SLO_NAZWA AND s.SLO_ID_KAT = v.SLO_ID_KAT);
SET IDENTITY_INSERT dbo.SLOWNIK OFF;
GO
-- Customer and distributor attributes, found by their exchange name (ATR_TXT1).
-- Types: 4 text, 5 date and time.
SET IDENTITY_INSERT dbo.ATRYBUT ON;
INSERT INTO dbo.ATRYBUT (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
SELECT v.ATR_ID, v.ATR_NAZWA, v.ATR_TYP, v.ATR_TXT1, v.ATR_ID_SLO_OBTYP FROM (VALUES
  (1, 'Kategoria ABC', 4, 'KategoriaABC', 102),
  (2, 'Sektor', 4, 'Sektor', 102),
  (3, 'Kategoria', 4, 'Kategoria', 102),
  (4, 'Osoba odpowiedzialna', 4, 'OsobaOdpowiedzialna', 102),
  (5, 'Data utworzenia', 5, 'DataUtworzenia', 102),
  (6, 'Data aktualizacji', 5, 'DataAktualizacji', 102),
  (7, 'Numer ERP', 4, 'ERPID', 102),
  (11, 'Kategoria ABC', 4, 'KategoriaABC', 108),
  (12, 'Sektor', 4, 'Sektor', 108),
  (13, 'Kategoria', 4, 'Kategoria', 108),
  (14, 'Osoba odpowiedzialna', 4, 'OsobaOdpowiedzialna', 108),
  (15, 'Data utworzenia', 5, 'DataUtworzenia', 108),
  (16, 'Data aktualizacji', 5, 'DataAktualizacji', 108),
  (17, 'Numer ERP', 4, 'ERPID', 108)
) AS v (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
WHERE NOT EXISTS (SELECT 1 FROM dbo.ATRYBUT a WHERE a.ATR_ID = v.ATR_ID);
SET IDENTITY_INSERT dbo.ATRYBUT OFF;
GO
