-- The one row of НазвРасч and of Заг of a new calculation: a two-pipe network
-- whose section flows are summed from the end sections, with example water
-- temperatures and the usual roughness of steel heating pipes, which the user
-- overwrites.
INSERT INTO [НазвРасч] ([НазвРасч], [РасчетВыполнен], [ТипСети], [РасчРасх], [NНачУз], [NузПНапПод], [NузРНап])
  VALUES (Null, False, 1, True, Null, Null, Null);

INSERT INTO [Заг] ([ЭквШер], [МинТВоды], [МаксТВоды]) VALUES (0.5, 70, 95);
