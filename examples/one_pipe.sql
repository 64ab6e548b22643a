-- Example: a one-pipe network of 11 sections from a heat source at node 1.
-- Supply flows are given at the end sections (4, 6, 9, 10, 12) and summed by
-- the run. The full head is given at the end node 12, and a booster pump at
-- node 5 raises the full head by 8 m.
-- Runs after calculation_tables.sql and indicators.sql.

INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап])
  VALUES ('Пример: однотрубная сеть', False, 0, True, 1, 12, Null);

-- Roughness 0.5 mm; water cools from 130 °C at the source to 70 °C at the end
-- of the longest main; 35 m of full head are to remain at node 12.
INSERT INTO [Заг] ([ЭквШер], [ПНапНаУзПод], [МинТВоды], [МаксТВоды]) VALUES (0.5, 108, 70, 130);

INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (1, 50);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (2, 52);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (3, 55);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (4, 57);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (5, 53);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (6, 51);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (7, 56);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (8, 60);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (9, 62);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (10, 58);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (11, 54);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (12, 49);

INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП], [Примечание]) VALUES (1, 1, 2, Null, 400, 200, 0.3, 'Магистраль от источника');
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (2, 2, 3, Null, 250, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (3, 3, 4, 14, 180, 100, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (4, 2, 5, Null, 300, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (5, 5, 6, 10, 160, 100, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (6, 5, 7, Null, 220, 125, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (7, 7, 8, Null, 200, 100, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (8, 8, 9, 8, 150, 80, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (9, 8, 10, 6, 120, 65, 0.2);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (10, 3, 11, Null, 170, 100, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (11, 11, 12, 12, 130, 100, 0.2);

-- Booster pump.
INSERT INTO [ИзмПНапВУзлахТС] ([Nуз], [ТрПр], [ИзмПНап]) VALUES (5, False, 8);
