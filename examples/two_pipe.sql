-- Example: a two-pipe district of 12 sections fed from a boiler house at
-- node 1. Supply flows are given at the end sections (5, 6, 7, 10, 11, 13)
-- and summed by the run; return lengths and flows equal the supply ones.
-- A booster pump on the supply pipeline at node 8 raises the full head by
-- 10 m, and one on the return pipeline at node 9 lowers the return head by 4 m.
-- Runs after calculation_tables.sql and indicators.sql.

INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап])
  VALUES ('Пример: двухтрубная сеть квартала', False, 1, True, 1, 1, 1);

-- Roughness 0.5 mm; design water temperatures 95/70 °C; the boiler house
-- keeps 160 m of full supply head and 60 m of available head.
INSERT INTO [Заг] ([ЭквШер], [ПНапНаУзПод], [РНапНаУз], [МинТВоды], [МаксТВоды])
  VALUES (0.5, 162, 22, 70, 95);

INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (1, 100);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (2, 102);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (3, 104);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (4, 106);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (5, 105);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (6, 108);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (7, 103);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (8, 108);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (9, 111);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (10, 114);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (11, 112);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (12, 110);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (13, 116);

-- Sections: nodes, supply flow (end sections only), supply length, nominal
-- diameter, share of local losses.
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (1, 1, 2, Null, 350, 250, 0.3, 'Вывод от котельной');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (2, 2, 3, Null, 200, 200, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (3, 3, 4, Null, 180, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (4, 4, 5, 25, 150, 125, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (5, 4, 6, 12, 120, 100, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (6, 3, 7, 20, 220, 125, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (7, 2, 8, Null, 300, 200, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (8, 8, 9, Null, 250, 150, 0.3, 'После насосной станции');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (9, 9, 10, 30, 200, 125, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (10, 9, 11, 18, 150, 100, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (11, 8, 12, Null, 180, 100, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (12, 12, 13, 15, 140, 80, 0.2);

-- Booster pumps.
INSERT INTO [ИзмПНапВУзлахТС] ([Nуз], [ТрПр], [ИзмПНап]) VALUES (8, False, 6);
INSERT INTO [ИзмПНапВУзлахТС] ([Nуз], [ТрПр], [ИзмПНап]) VALUES (9, True, 3);

-- Required available heads of the consumers: elevator units (15-20 m) and
-- heat exchangers (8-10 m). Every consumer has some head to spare, which its
-- throttling orifice (ДШайбы) takes up.
UPDATE [Табл] SET [ТребРНап] = 15 WHERE [КонУзел] IN (5, 7);
UPDATE [Табл] SET [ТребРНап] = 20 WHERE [КонУзел] = 11;
UPDATE [Табл] SET [ТребРНап] = 10 WHERE [КонУзел] IN (6, 13);
UPDATE [Табл] SET [ТребРНап] = 8 WHERE [КонУзел] = 10;
