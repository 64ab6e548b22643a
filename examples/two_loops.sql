-- Example: a looped two-pipe network of the standard method. From the source
-- at node 1 the water reaches node 5 by 2 - 3 - 5 and by 2 - 4 - 5, and node 8
-- by 3 - 7 - 8 and by 5 - 8: two loops, whose flows the run finds from the
-- consumers' flows (at nodes 6, 9, 10, 11 and 12) and the sections' losses.
-- The sections arriving second at the meeting points 5 and 8 end mains of
-- their own there. Full head 160 m and available head 60 m at node 1.
-- Runs after calculation_tables.sql and indicators.sql.

ALTER TABLE [НазвРасч] ADD COLUMN [КольцСеть] bit DEFAULT 0;

INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап], [КольцСеть])
  VALUES ('Кольцевая сеть с двумя кольцами', False, 1, True, 1, 1, 1, True);

INSERT INTO [Заг] ([ЭквШер], [ПНапНаУзПод], [РНапНаУз], [МинТВоды], [МаксТВоды]) VALUES (0.5, 160, 60, 70, 95);

INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (1, 70);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (2, 72);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (3, 71);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (4, 73);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (5, 70);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (6, 69);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (7, 74);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (8, 72);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (9, 71);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (10, 75);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (11, 73);
INSERT INTO [УзлыТС] ([Nуз], [ГеодВыс]) VALUES (12, 70);

INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (1, 1, 2, Null, 400, 300, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (2, 2, 3, Null, 300, 250, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (3, 2, 4, Null, 500, 200, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (4, 3, 5, Null, 300, 200, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (5, 4, 5, Null, 300, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (6, 5, 6, 50, 200, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (7, 3, 7, Null, 400, 200, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (8, 7, 8, Null, 300, 150, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (9, 5, 8, Null, 350, 100, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (10, 8, 9, 40, 100, 125, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (11, 7, 10, 30, 150, 100, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (12, 4, 11, 20, 100, 100, 0.3);
INSERT INTO [Табл] ([id], [НачУзел], [КонУзел], [РасхПод], [ДлНаУчПод], [Ду], [КоэфМП]) VALUES (13, 3, 12, 25, 80, 100, 0.3);
