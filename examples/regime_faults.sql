-- Example: a deliberately faulty two-pipe network that computes and shows every
-- kind of warning about the computed regime. Its terrain falls 85 m into a
-- valley (node 3) and rises 160 m onto a hill (node 5) from a source at node 1
-- that keeps 150 m of supply head and 50 m of available head; the least and
-- the greatest water temperature are entered alike, one section has a share of
-- local losses of 1.5, one is 12 km long and one carries 70 t/h through Ду 80.
-- The calculation's rules (velocity, specific loss, length of the longest main)
-- and the required available head of 10 m at the ends are checked.
-- Runs after calculation_tables.sql and indicators.sql.

INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап])
  VALUES ('Пример с ошибками режима', False, 1, True, 1, 1, 1);

INSERT INTO [Заг] ([ЭквШер], [ПНапНаУзПод], [РНапНаУз], [МинТВоды], [МаксТВоды])
  VALUES (0.5, 250, 50, 95, 95);

INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (1, 100);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (2, 95);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (3, 15);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (4, 60);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (5, 260);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (6, 100);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (7, 90);

INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (1, 1, 2, Null, 300, 300, 0.3, 'Вывод от источника');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (2, 2, 3, Null, 400, 200, 0.3, 'Спуск в низину');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (3, 3, 4, 40, 300, 150, 1.5, 'Доля местных потерь введена ошибочно');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (4, 2, 5, 30, 500, 150, 0.3, 'Подъем на холм');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (5, 2, 6, 70, 100, 80, 0.3, 'Слишком малый диаметр');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (6, 1, 7, 20, 12000, 250, 0.3, 'Длина введена в метрах вместо километров');

-- The usual rules of a new calculation, one rule on a header indicator, and the
-- head limits with the required available head at the ends of the mains.
INSERT INTO [ПроверкиРежима] VALUES (1, 'СкорПод', 'больше', 3.5, 'Скорость воды в подающем трубопроводе больше 3,5 м/с');
INSERT INTO [ПроверкиРежима] VALUES (2, 'УдПотПод', 'больше', 300, 'Удельные потери давления в подающем трубопроводе больше 300 Па/м');
INSERT INTO [ПроверкиРежима] VALUES (3, 'МаксДлПод', 'больше', 5000, 'Длина самой длинной магистрали больше 5 км');
INSERT INTO [ПределыНапоров] VALUES (5, True, 160, True, 5, True, 10, True);

-- An elevator unit at node 6 needs 15 m of available head it does not get.
UPDATE [Табл] SET [ТребРНап] = 15 WHERE [КонУзел] = 6;
