-- The settings file "Nastr.mdb": one row, never inserted by the program.
-- No calculation open yet; the reference book of the program folder; font
-- sizes 10; two decimals in reports; the calculation text kept.
CREATE TABLE [Настройки] (
  [ФайлГР] text(4096),
  [ФайлСпр] text(4096),
  [РШрифтаВТД] integer,
  [РШрифтаВЗагКолТД] integer,
  [РШрифтаНаимПок] integer,
  [ТочностьЧиселВОтч] integer,
  [СохрТекстРас] bit
);

INSERT INTO [Настройки] ([ФайлГР], [ФайлСпр], [РШрифтаВТД], [РШрифтаВЗагКолТД], [РШрифтаНаимПок], [ТочностьЧиселВОтч], [СохрТекстРас])
  VALUES (Null, 'Spr.mdb', 10, 10, 10, 2, True);
