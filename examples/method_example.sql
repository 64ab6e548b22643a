-- Example: the worked two-pipe example of the standard method. Three sections
-- from the source at node 1 with a branch at node 2; flows given at the end
-- sections 2-3 (40 t/h) and 2-4 (60 t/h) and summed by the run; full head
-- 160 m and available head 60 m, both at node 1.
-- Runs after calculation_tables.sql and indicators.sql.

INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап])
  VALUES ('Пример расчета по стандартной методике', False, 1, True, 1, 1, 1);

INSERT INTO [Заг] ([ЭквШер], [ПНапНаУзПод], [РНапНаУз], [МинТВоды], [МаксТВоды]) VALUES (0.5, 160, 60, 70, 95);

INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (1, 70);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (2, 72);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (3, 68);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (4, 75);

INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (1, 1, 2, Null, 500, 250, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (2, 2, 3, 40, 300, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (3, 2, 4, 60, 400, 200, 0.3);
