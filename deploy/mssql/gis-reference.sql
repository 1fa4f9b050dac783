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
-- Sales figures of customers (100-223) and distributors (500-623): decimal values (type 8)
-- that the sales exchange sets to 0 and recomputes on every run.
SET IDENTITY_INSERT dbo.ATRYBUT ON;
INSERT INTO dbo.ATRYBUT (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
SELECT v.ATR_ID, v.ATR_NAZWA, v.ATR_TYP, v.ATR_TXT1, v.ATR_ID_SLO_OBTYP FROM (VALUES
  (100, 'Sprzedaż PC 12M', 8, 'Sprzedaz100', 102),
  (101, 'Sprzedaż PE 12M', 8, 'Sprzedaz101', 102),
  (110, 'Sprzedaż PCE (rutile\basic) M', 8, 'Sprzedaz110', 102),
  (111, 'Sprzedaż PCE (rutile\basic) M-1', 8, 'Sprzedaz111', 102),
  (112, 'Sprzedaż PCE (rutile\basic) M-2', 8, 'Sprzedaz112', 102),
  (113, 'Sprzedaż PCE (rutile\basic) M-3', 8, 'Sprzedaz113', 102),
  (114, 'Sprzedaż PCE pozostałe M', 8, 'Sprzedaz114', 102),
  (115, 'Sprzedaż PCE pozostałe M-1', 8, 'Sprzedaz115', 102),
  (116, 'Sprzedaż PCE pozostałe M-2', 8, 'Sprzedaz116', 102),
  (117, 'Sprzedaż PCE pozostałe M-3', 8, 'Sprzedaz117', 102),
  (130, 'Sprzedaż PCS (MAG wire MP\spools) M', 8, 'Sprzedaz130', 102),
  (131, 'Sprzedaż PCS (MAG wire MP\spools) M-1', 8, 'Sprzedaz131', 102),
  (132, 'Sprzedaż PCS (MAG wire MP\spools) M-2', 8, 'Sprzedaz132', 102),
  (133, 'Sprzedaż PCS (MAG wire MP\spools) M-3', 8, 'Sprzedaz133', 102),
  (134, 'Sprzedaż PCS pozostałe M', 8, 'Sprzedaz134', 102),
  (135, 'Sprzedaż PCS pozostałe M-1', 8, 'Sprzedaz135', 102),
  (136, 'Sprzedaż PCS pozostałe M-2', 8, 'Sprzedaz136', 102),
  (137, 'Sprzedaż PCS pozostałe M-3', 8, 'Sprzedaz137', 102),
  (150, 'Sprzedaż PCE M (kg)', 8, 'Sprzedaz150', 102),
  (151, 'Sprzedaż PCE M-1 (kg)', 8, 'Sprzedaz151', 102),
  (152, 'Sprzedaż PCE M-2 (kg)', 8, 'Sprzedaz152', 102),
  (153, 'Sprzedaż PCE M-3 (kg)', 8, 'Sprzedaz153', 102),
  (154, 'Sprzedaż PCS M (kg)', 8, 'Sprzedaz154', 102),
  (155, 'Sprzedaż PCS M-1 (kg)', 8, 'Sprzedaz155', 102),
  (156, 'Sprzedaż PCS M-2 (kg)', 8, 'Sprzedaz156', 102),
  (157, 'Sprzedaż PCS M-3 (kg)', 8, 'Sprzedaz157', 102),
  (158, 'Sprzedaż PCC M (kg)', 8, 'Sprzedaz158', 102),
  (159, 'Sprzedaż PCC M-1 (kg)', 8, 'Sprzedaz159', 102),
  (160, 'Sprzedaż PCC M-2 (kg)', 8, 'Sprzedaz160', 102),
  (161, 'Sprzedaż PCC M-3 (kg)', 8, 'Sprzedaz161', 102),
  (162, 'Sprzedaż PCF M (kg)', 8, 'Sprzedaz162', 102),
  (163, 'Sprzedaż PCF M-1 (kg)', 8, 'Sprzedaz163', 102),
  (164, 'Sprzedaż PCF M-2 (kg)', 8, 'Sprzedaz164', 102),
  (165, 'Sprzedaż PCF M-3 (kg)', 8, 'Sprzedaz165', 102),
  (200, 'Sprzedaż MMA rectifiers M', 8, 'Sprzedaz200', 102),
  (201, 'Sprzedaż MMA rectifiers M-1', 8, 'Sprzedaz201', 102),
  (202, 'Sprzedaż MMA rectifiers M-2', 8, 'Sprzedaz202', 102),
  (203, 'Sprzedaż MMA rectifiers M-3', 8, 'Sprzedaz203', 102),
  (204, 'Sprzedaż TIG manual DC M', 8, 'Sprzedaz204', 102),
  (205, 'Sprzedaż TIG manual DC M-1', 8, 'Sprzedaz205', 102),
  (206, 'Sprzedaż TIG manual DC M-2', 8, 'Sprzedaz206', 102),
  (207, 'Sprzedaż TIG manual DC M-3', 8, 'Sprzedaz207', 102),
  (208, 'Sprzedaż TIG manual AC\DC M', 8, 'Sprzedaz208', 102),
  (209, 'Sprzedaż TIG manual AC\DC M-1', 8, 'Sprzedaz209', 102),
  (210, 'Sprzedaż TIG manual AC\DC M-2', 8, 'Sprzedaz210', 102),
  (211, 'Sprzedaż TIG manual AC\DC M-3', 8, 'Sprzedaz211', 102),
  (212, 'Sprzedaż MIG\MAG rectifiers M', 8, 'Sprzedaz212', 102),
  (213, 'Sprzedaż MIG\MAG rectifiers M-1', 8, 'Sprzedaz213', 102),
  (214, 'Sprzedaż MIG\MAG rectifiers M-2', 8, 'Sprzedaz214', 102),
  (215, 'Sprzedaż MIG\MAG rectifiers M-3', 8, 'Sprzedaz215', 102),
  (216, 'Sprzedaż MIG\MAG c. wr250A 35% M', 8, 'Sprzedaz216', 102),
  (217, 'Sprzedaż MIG\MAG c. wr250A 35% M-1', 8, 'Sprzedaz217', 102),
  (218, 'Sprzedaż MIG\MAG c. wr250A 35% M-2', 8, 'Sprzedaz218', 102),
  (219, 'Sprzedaż MIG\MAG c. wr250A 35% M-3', 8, 'Sprzedaz219', 102),
  (220, 'Sprzedaż MIG\MAG c. m250A 35% M', 8, 'Sprzedaz220', 102),
  (221, 'Sprzedaż MIG\MAG c. m250A 35% M-1', 8, 'Sprzedaz221', 102),
  (222, 'Sprzedaż MIG\MAG c. m250A 35% M-2', 8, 'Sprzedaz222', 102),
  (223, 'Sprzedaż MIG\MAG c. m250A 35% M-3', 8, 'Sprzedaz223', 102),
  (500, 'Sprzedaż PC 12M', 8, 'Sprzedaz500', 108),
  (501, 'Sprzedaż PE 12M', 8, 'Sprzedaz501', 108),
  (510, 'Sprzedaż PCE (rutile\basic) M', 8, 'Sprzedaz510', 108),
  (511, 'Sprzedaż PCE (rutile\basic) M-1', 8, 'Sprzedaz511', 108),
  (512, 'Sprzedaż PCE (rutile\basic) M-2', 8, 'Sprzedaz512', 108),
  (513, 'Sprzedaż PCE (rutile\basic) M-3', 8, 'Sprzedaz513', 108),
  (514, 'Sprzedaż PCE pozostałe M', 8, 'Sprzedaz514', 108),
  (515, 'Sprzedaż PCE pozostałe M-1', 8, 'Sprzedaz515', 108),
  (516, 'Sprzedaż PCE pozostałe M-2', 8, 'Sprzedaz516', 108),
  (517, 'Sprzedaż PCE pozostałe M-3', 8, 'Sprzedaz517', 108),
  (530, 'Sprzedaż PCS (MAG wire MP\spools) M', 8, 'Sprzedaz530', 108),
  (531, 'Sprzedaż PCS (MAG wire MP\spools) M-1', 8, 'Sprzedaz531', 108),
  (532, 'Sprzedaż PCS (MAG wire MP\spools) M-2', 8, 'Sprzedaz532', 108),
  (533, 'Sprzedaż PCS (MAG wire MP\spools) M-3', 8, 'Sprzedaz533', 108),
  (534, 'Sprzedaż PCS pozostałe M', 8, 'Sprzedaz534', 108),
  (535, 'Sprzedaż PCS pozostałe M-1', 8, 'Sprzedaz535', 108),
  (536, 'Sprzedaż PCS pozostałe M-2', 8, 'Sprzedaz536', 108),
  (537, 'Sprzedaż PCS pozostałe M-3', 8, 'Sprzedaz537', 108),
  (550, 'Sprzedaż PCE M (kg)', 8, 'Sprzedaz550', 108),
  (551, 'Sprzedaż PCE M-1 (kg)', 8, 'Sprzedaz551', 108),
  (552, 'Sprzedaż PCE M-2 (kg)', 8, 'Sprzedaz552', 108),
  (553, 'Sprzedaż PCE M-3 (kg)', 8, 'Sprzedaz553', 108),
  (554, 'Sprzedaż PCS M (kg)', 8, 'Sprzedaz554', 108),
  (555, 'Sprzedaż PCS M-1 (kg)', 8, 'Sprzedaz555', 108),
  (556, 'Sprzedaż PCS M-2 (kg)', 8, 'Sprzedaz556', 108),
  (557, 'Sprzedaż PCS M-3 (kg)', 8, 'Sprzedaz557', 108),
  (558, 'Sprzedaż PCC M (kg)', 8, 'Sprzedaz558', 108),
  (559, 'Sprzedaż PCC M-1 (kg)', 8, 'Sprzedaz559', 108),
  (560, 'Sprzedaż PCC M-2 (kg)', 8, 'Sprzedaz560', 108),
  (561, 'Sprzedaż PCC M-3 (kg)', 8, 'Sprzedaz561', 108),
  (562, 'Sprzedaż PCF M (kg)', 8, 'Sprzedaz562', 108),
  (563, 'Sprzedaż PCF M-1 (kg)', 8, 'Sprzedaz563', 108),
  (564, 'Sprzedaż PCF M-2 (kg)', 8, 'Sprzedaz564', 108),
  (565, 'Sprzedaż PCF M-3 (kg)', 8, 'Sprzedaz565', 108),
  (600, 'Sprzedaż MMA rectifiers M', 8, 'Sprzedaz600', 108),
  (601, 'Sprzedaż MMA rectifiers M-1', 8, 'Sprzedaz601', 108),
  (602, 'Sprzedaż MMA rectifiers M-2', 8, 'Sprzedaz602', 108),
  (603, 'Sprzedaż MMA rectifiers M-3', 8, 'Sprzedaz603', 108),
  (604, 'Sprzedaż TIG manual DC M', 8, 'Sprzedaz604', 108),
  (605, 'Sprzedaż TIG manual DC M-1', 8, 'Sprzedaz605', 108),
  (606, 'Sprzedaż TIG manual DC M-2', 8, 'Sprzedaz606', 108),
  (607, 'Sprzedaż TIG manual DC M-3', 8, 'Sprzedaz607', 108),
  (608, 'Sprzedaż TIG manual AC\DC M', 8, 'Sprzedaz608', 108),
  (609, 'Sprzedaż TIG manual AC\DC M-1', 8, 'Sprzedaz609', 108),
  (610, 'Sprzedaż TIG manual AC\DC M-2', 8, 'Sprzedaz610', 108),
  (611, 'Sprzedaż TIG manual AC\DC M-3', 8, 'Sprzedaz611', 108),
  (612, 'Sprzedaż MIG\MAG rectifiers M', 8, 'Sprzedaz612', 108),
  (613, 'Sprzedaż MIG\MAG rectifiers M-1', 8, 'Sprzedaz613', 108),
  (614, 'Sprzedaż MIG\MAG rectifiers M-2', 8, 'Sprzedaz614', 108),
  (615, 'Sprzedaż MIG\MAG rectifiers M-3', 8, 'Sprzedaz615', 108),
  (616, 'Sprzedaż MIG\MAG c. wr250A 35% M', 8, 'Sprzedaz616', 108),
  (617, 'Sprzedaż MIG\MAG c. wr250A 35% M-1', 8, 'Sprzedaz617', 108),
  (618, 'Sprzedaż MIG\MAG c. wr250A 35% M-2', 8, 'Sprzedaz618', 108),
  (619, 'Sprzedaż MIG\MAG c. wr250A 35% M-3', 8, 'Sprzedaz619', 108),
  (620, 'Sprzedaż MIG\MAG c. m250A 35% M', 8, 'Sprzedaz620', 108),
  (621, 'Sprzedaż MIG\MAG c. m250A 35% M-1', 8, 'Sprzedaz621', 108),
  (622, 'Sprzedaż MIG\MAG c. m250A 35% M-2', 8, 'Sprzedaz622', 108),
  (623, 'Sprzedaż MIG\MAG c. m250A 35% M-3', 8, 'Sprzedaz623', 108)
) AS v (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP)
WHERE NOT EXISTS (SELECT 1 FROM dbo.ATRYBUT a WHERE a.ATR_ID = v.ATR_ID);
SET IDENTITY_INSERT dbo.ATRYBUT OFF;
GO
