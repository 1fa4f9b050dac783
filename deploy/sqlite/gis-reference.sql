-- Reference data of the GIS database that the exchange relies on.
-- Object types (ids 102-108) and the main address type (201).
INSERT OR IGNORE INTO SLOWNIK (SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY) VALUES
  (102, 1, 'KLIENT', 2, 1), (103, 1, 'PRACOWNIK', 3, 1), (104, 1, 'MAGAZYN', 4, 1),
  (105, 1, 'BIURO', 5, 1), (106, 1, 'POJAZD', 6, 1), (107, 1, 'TERYTORIUM', 7, 1),
  (108, 1, 'DYSTRYBUTOR', 8, 1),
  (201, 2, 'ADRES_GLOWNY', 1, 1);
-- The interface's own entries (category 0): last-exchange times, empty until the first run,
-- and the GIS user that receives permissions on each new object.
INSERT OR IGNORE INTO SLOWNIK (SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY, SLO_TXT1) VALUES
  (1001, 0, 'interfejs_transport_klient', 1, 1, ''),
  (1002, 0, 'interfejs_transport_dystrybutor', 2, 1, ''),
  (1003, 0, 'interfejs_transport_wizyta', 3, 1, ''),
  (1004, 0, 'interfejs_uprawnienia_userid', 4, 1, '1');
-- Customer and distributor attributes, found by their exchange name (ATR_TXT1).
-- Types: 4 text, 5 date and time.
INSERT OR IGNORE INTO ATRYBUT (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP) VALUES
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
  (17, 'Numer ERP', 4, 'ERPID', 108);
