-- The one row of НазвРасч and of Заг of a new calculation: a two-pipe network
-- whose section flows are summed from the end sections, with example water
-- temperatures and the usual roughness of steel heating pipes, which the user
-- overwrites.
INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап])
  VALUES (Null, False, 1, True, Null, Null, Null);

INSERT INTO [Заг] ([ЭквШер], [МинТВоды], [МаксТВоды]) VALUES (0.5, 70, 95);

-- The usual rules of the regime checks and the default head limits.
INSERT INTO [ПроверкиРежима] VALUES (1, 'СкорПод', 'больше', 3.5, 'Скорость воды в подающем трубопроводе больше 3,5 м/с');
INSERT INTO [ПроверкиРежима] VALUES (2, 'УдПотПод', 'больше', 300, 'Удельные потери давления в подающем трубопроводе больше 300 Па/м');
INSERT INTO [ПределыНапоров] VALUES (5, True, 160, True, 5, True, 0, False);
