-- Reference data of the GIS database that the exchange relies on (SQL Server). Run once after
-- gis.sql; rows that already exist are left alone. The same rows as deploy/sqlite/gis-reference.sql.
-- The file is UTF-8 and its texts are N'...' literals into nvarchar columns, so the Polish
-- letters arrive whatever the database's collation: run it with sqlcmd -f 65001.
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
  (1, N'Kategoria ABC', 4, N'KategoriaABC', 102),
  (2, N'Sektor', 4, N'Sektor', 102),
  (3, N'Kategoria', 4, N'Kategoria', 102),
  (4, N'Osoba odpowiedzialna', 4, N'OsobaOdpowiedzialna', 102),
  (5, N'Data utworzenia', 5, N'DataUtworzenia', 102),
  (6, N'Data aktualizacji', 5, N'DataAktualizacji', 102),
  (7, N'Numer ERP', 4, N'ERPID', 102),
  (11, N'Kategoria ABC', 4, N'KategoriaABC', 108),
  (12, N'Sektor', 4, N'Sektor', 108),
  (13, N'Kategoria', 4, N'Kategoria', 108),
  (14, N'Osoba odpowiedzialna', 4, N'OsobaOdpowiedzialna', 108),
  (15, N'Data utworzenia', 5, N'DataUtworzenia', 108),
  (16, N'Data aktualizacji', 5, N'DataAktualizacji', 108),
  (17, N'Numer ERP', 4, N'ERPID', 108)
) AS v (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
WHERE NOT EXISTS (SELECT 1 FROM dbo.ATRYBUT a WHERE a.ATR_ID = v.ATR_ID);
SET IDENTITY_INSERT dbo.ATRYBUT OFF;
GO
-- Sales figures of customers (100-223) and distributors (500-623): decimal values (type 8)
-- that the sales exchange sets to 0 and recomputes on every run.
SET IDENTITY_INSERT dbo.ATRYBUT ON;
INSERT INTO dbo.ATRYBUT (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
SELECT v.ATR_ID, v.ATR_NAZWA, v.ATR_TYP, v.ATR_TXT1, v.ATR_ID_SLO_OBTYP FROM (VALUES
  (100, N'Sprzedaż PC 12M', 8, N'Sprzedaz100', 102),
  (101, N'Sprzedaż PE 12M', 8, N'Sprzedaz101', 102),
  (110, N'Sprzedaż PCE (rutile\basic) M', 8, N'Sprzedaz110', 102),
  (111, N'Sprzedaż PCE (rutile\basic) M-1', 8, N'Sprzedaz111', 102),
  (112, N'Sprzedaż PCE (rutile\basic) M-2', 8, N'Sprzedaz112', 102),
  (113, N'Sprzedaż PCE (rutile\basic) M-3', 8, N'Sprzedaz113', 102),
  (114, N'Sprzedaż PCE pozostałe M', 8, N'Sprzedaz114', 102),
  (115, N'Sprzedaż PCE pozostałe M-1', 8, N'Sprzedaz115', 102),
  (116, N'Sprzedaż PCE pozostałe M-2', 8, N'Sprzedaz116', 102),
  (117, N'Sprzedaż PCE pozostałe M-3', 8, N'Sprzedaz117', 102),
  (130, N'Sprzedaż PCS (MAG wire MP\spools) M', 8, N'Sprzedaz130', 102),
  (131, N'Sprzedaż PCS (MAG wire MP\spools) M-1', 8, N'Sprzedaz131', 102),
  (132, N'Sprzedaż PCS (MAG wire MP\spools) M-2', 8, N'Sprzedaz132', 102),
  (133, N'Sprzedaż PCS (MAG wire MP\spools) M-3', 8, N'Sprzedaz133', 102),
  (134, N'Sprzedaż PCS pozostałe M', 8, N'Sprzedaz134', 102),
  (135, N'Sprzedaż PCS pozostałe M-1', 8, N'Sprzedaz135', 102),
  (136, N'Sprzedaż PCS pozostałe M-2', 8, N'Sprzedaz136', 102),
  (137, N'Sprzedaż PCS pozostałe M-3', 8, N'Sprzedaz137', 102),
  (150, N'Sprzedaż PCE M (kg)', 8, N'Sprzedaz150', 102),
  (151, N'Sprzedaż PCE M-1 (kg)', 8, N'Sprzedaz151', 102),
  (152, N'Sprzedaż PCE M-2 (kg)', 8, N'Sprzedaz152', 102),
  (153, N'Sprzedaż PCE M-3 (kg)', 8, N'Sprzedaz153', 102),
  (154, N'Sprzedaż PCS M (kg)', 8, N'Sprzedaz154', 102),
  (155, N'Sprzedaż PCS M-1 (kg)', 8, N'Sprzedaz155', 102),
  (156, N'Sprzedaż PCS M-2 (kg)', 8, N'Sprzedaz156', 102),
  (157, N'Sprzedaż PCS M-3 (kg)', 8, N'Sprzedaz157', 102),
  (158, N'Sprzedaż PCC M (kg)', 8, N'Sprzedaz158', 102),
  (159, N'Sprzedaż PCC M-1 (kg)', 8, N'Sprzedaz159', 102),
  (160, N'Sprzedaż PCC M-2 (kg)', 8, N'Sprzedaz160', 102),
  (161, N'Sprzedaż PCC M-3 (kg)', 8, N'Sprzedaz161', 102),
  (162, N'Sprzedaż PCF M (kg)', 8, N'Sprzedaz162', 102),
  (163, N'Sprzedaż PCF M-1 (kg)', 8, N'Sprzedaz163', 102),
  (164, N'Sprzedaż PCF M-2 (kg)', 8, N'Sprzedaz164', 102),
  (165, N'Sprzedaż PCF M-3 (kg)', 8, N'Sprzedaz165', 102),
  (200, N'Sprzedaż MMA rectifiers M', 8, N'Sprzedaz200', 102),
  (201, N'Sprzedaż MMA rectifiers M-1', 8, N'Sprzedaz201', 102),
  (202, N'Sprzedaż MMA rectifiers M-2', 8, N'Sprzedaz202', 102),
  (203, N'Sprzedaż MMA rectifiers M-3', 8, N'Sprzedaz203', 102),
  (204, N'Sprzedaż TIG manual DC M', 8, N'Sprzedaz204', 102),
  (205, N'Sprzedaż TIG manual DC M-1', 8, N'Sprzedaz205', 102),
  (206, N'Sprzedaż TIG manual DC M-2', 8, N'Sprzedaz206', 102),
  (207, N'Sprzedaż TIG manual DC M-3', 8, N'Sprzedaz207', 102),
  (208, N'Sprzedaż TIG manual AC\DC M', 8, N'Sprzedaz208', 102),
  (209, N'Sprzedaż TIG manual AC\DC M-1', 8, N'Sprzedaz209', 102),
  (210, N'Sprzedaż TIG manual AC\DC M-2', 8, N'Sprzedaz210', 102),
  (211, N'Sprzedaż TIG manual AC\DC M-3', 8, N'Sprzedaz211', 102),
  (212, N'Sprzedaż MIG\MAG rectifiers M', 8, N'Sprzedaz212', 102),
  (213, N'Sprzedaż MIG\MAG rectifiers M-1', 8, N'Sprzedaz213', 102),
  (214, N'Sprzedaż MIG\MAG rectifiers M-2', 8, N'Sprzedaz214', 102),
  (215, N'Sprzedaż MIG\MAG rectifiers M-3', 8, N'Sprzedaz215', 102),
  (216, N'Sprzedaż MIG\MAG c. wr250A 35% M', 8, N'Sprzedaz216', 102),
  (217, N'Sprzedaż MIG\MAG c. wr250A 35% M-1', 8, N'Sprzedaz217', 102),
  (218, N'Sprzedaż MIG\MAG c. wr250A 35% M-2', 8, N'Sprzedaz218', 102),
  (219, N'Sprzedaż MIG\MAG c. wr250A 35% M-3', 8, N'Sprzedaz219', 102),
  (220, N'Sprzedaż MIG\MAG c. m250A 35% M', 8, N'Sprzedaz220', 102),
  (221, N'Sprzedaż MIG\MAG c. m250A 35% M-1', 8, N'Sprzedaz221', 102),
  (222, N'Sprzedaż MIG\MAG c. m250A 35% M-2', 8, N'Sprzedaz222', 102),
  (223, N'Sprzedaż MIG\MAG c. m250A 35% M-3', 8, N'Sprzedaz223', 102),
  (500, N'Sprzedaż PC 12M', 8, N'Sprzedaz500', 108),
  (501, N'Sprzedaż PE 12M', 8, N'Sprzedaz501', 108),
  (510, N'Sprzedaż PCE (rutile\basic) M', 8, N'Sprzedaz510', 108),
  (511, N'Sprzedaż PCE (rutile\basic) M-1', 8, N'Sprzedaz511', 108),
  (512, N'Sprzedaż PCE (rutile\basic) M-2', 8, N'Sprzedaz512', 108),
  (513, N'Sprzedaż PCE (rutile\basic) M-3', 8, N'Sprzedaz513', 108),
  (514, N'Sprzedaż PCE pozostałe M', 8, N'Sprzedaz514', 108),
  (515, N'Sprzedaż PCE pozostałe M-1', 8, N'Sprzedaz515', 108),
  (516, N'Sprzedaż PCE pozostałe M-2', 8, N'Sprzedaz516', 108),
  (517, N'Sprzedaż PCE pozostałe M-3', 8, N'Sprzedaz517', 108),
  (530, N'Sprzedaż PCS (MAG wire MP\spools) M', 8, N'Sprzedaz530', 108),
  (531, N'Sprzedaż PCS (MAG wire MP\spools) M-1', 8, N'Sprzedaz531', 108),
  (532, N'Sprzedaż PCS (MAG wire MP\spools) M-2', 8, N'Sprzedaz532', 108),
  (533, N'Sprzedaż PCS (MAG wire MP\spools) M-3', 8, N'Sprzedaz533', 108),
  (534, N'Sprzedaż PCS pozostałe M', 8, N'Sprzedaz534', 108),
  (535, N'Sprzedaż PCS pozostałe M-1', 8, N'Sprzedaz535', 108),
  (536, N'Sprzedaż PCS pozostałe M-2', 8, N'Sprzedaz536', 108),
  (537, N'Sprzedaż PCS pozostałe M-3', 8, N'Sprzedaz537', 108),
  (550, N'Sprzedaż PCE M (kg)', 8, N'Sprzedaz550', 108),
  (551, N'Sprzedaż PCE M-1 (kg)', 8, N'Sprzedaz551', 108),
  (552, N'Sprzedaż PCE M-2 (kg)', 8, N'Sprzedaz552', 108),
  (553, N'Sprzedaż PCE M-3 (kg)', 8, N'Sprzedaz553', 108),
  (554, N'Sprzedaż PCS M (kg)', 8, N'Sprzedaz554', 108),
  (555, N'Sprzedaż PCS M-1 (kg)', 8, N'Sprzedaz555', 108),
  (556, N'Sprzedaż PCS M-2 (kg)', 8, N'Sprzedaz556', 108),
  (557, N'Sprzedaż PCS M-3 (kg)', 8, N'Sprzedaz557', 108),
  (558, N'Sprzedaż PCC M (kg)', 8, N'Sprzedaz558', 108),
  (559, N'Sprzedaż PCC M-1 (kg)', 8, N'Sprzedaz559', 108),
  (560, N'Sprzedaż PCC M-2 (kg)', 8, N'Sprzedaz560', 108),
  (561, N'Sprzedaż PCC M-3 (kg)', 8, N'Sprzedaz561', 108),
  (562, N'Sprzedaż PCF M (kg)', 8, N'Sprzedaz562', 108),
  (563, N'Sprzedaż PCF M-1 (kg)', 8, N'Sprzedaz563', 108),
  (564, N'Sprzedaż PCF M-2 (kg)', 8, N'Sprzedaz564', 108),
  (565, N'Sprzedaż PCF M-3 (kg)', 8, N'Sprzedaz565', 108),
  (600, N'Sprzedaż MMA rectifiers M', 8, N'Sprzedaz600', 108),
  (601, N'Sprzedaż MMA rectifiers M-1', 8, N'Sprzedaz601', 108),
  (602, N'Sprzedaż MMA rectifiers M-2', 8, N'Sprzedaz602', 108),
  (603, N'Sprzedaż MMA rectifiers M-3', 8, N'Sprzedaz603', 108),
  (604, N'Sprzedaż TIG manual DC M', 8, N'Sprzedaz604', 108),
  (605, N'Sprzedaż TIG manual DC M-1', 8, N'Sprzedaz605', 108),
  (606, N'Sprzedaż TIG manual DC M-2', 8, N'Sprzedaz606', 108),
  (607, N'Sprzedaż TIG manual DC M-3', 8, N'Sprzedaz607', 108),
  (608, N'Sprzedaż TIG manual AC\DC M', 8, N'Sprzedaz608', 108),
  (609, N'Sprzedaż TIG manual AC\DC M-1', 8, N'Sprzedaz609', 108),
  (610, N'Sprzedaż TIG manual AC\DC M-2', 8, N'Sprzedaz610', 108),
  (611, N'Sprzedaż TIG manual AC\DC M-3', 8, N'Sprzedaz611', 108),
  (612, N'Sprzedaż MIG\MAG rectifiers M', 8, N'Sprzedaz612', 108),
  (613, N'Sprzedaż MIG\MAG rectifiers M-1', 8, N'Sprzedaz613', 108),
  (614, N'Sprzedaż MIG\MAG rectifiers M-2', 8, N'Sprzedaz614', 108),
  (615, N'Sprzedaż MIG\MAG rectifiers M-3', 8, N'Sprzedaz615', 108),
  (616, N'Sprzedaż MIG\MAG c. wr250A 35% M', 8, N'Sprzedaz616', 108),
  (617, N'Sprzedaż MIG\MAG c. wr250A 35% M-1', 8, N'Sprzedaz617', 108),
  (618, N'Sprzedaż MIG\MAG c. wr250A 35% M-2', 8, N'Sprzedaz618', 108),
  (619, N'Sprzedaż MIG\MAG c. wr250A 35% M-3', 8, N'Sprzedaz619', 108),
  (620, N'Sprzedaż MIG\MAG c. m250A 35% M', 8, N'Sprzedaz620', 108),
  (621, N'Sprzedaż MIG\MAG c. m250A 35% M-1', 8, N'Sprzedaz621', 108),
  (622, N'Sprzedaż MIG\MAG c. m250A 35% M-2', 8, N'Sprzedaz622', 108),
  (623, N'Sprzedaż MIG\MAG c. m250A 35% M-3', 8, N'Sprzedaz623', 108)
) AS v (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
WHERE NOT EXISTS (SELECT 1 FROM dbo.ATRYBUT a WHERE a.ATR_ID = v.ATR_ID);
SET IDENTITY_INSERT dbo.ATRYBUT OFF;
GO
