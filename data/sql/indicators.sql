-- The indicator catalogue of a new calculation.
--
-- Predefined indicators: the hydraulic core the run relies on. Columns:
-- full name, short name, table (True) or header (False), entered by the user,
-- formula, shown in the report, used in a one-pipe network, used in a
-- two-pipe network.
--
-- Head losses follow the usual method for water heating networks:
-- Darcy-Weisbach in the quadratic zone, lambda = 0.11*(kэ/d)^0.25, so the
-- specific loss is R = 6.88e-3 * kэ^0.25 * G^2 / (rho * d^5.25) Pa/m
-- (G in t/h, kэ and d in m, rho in kg/m3), local losses a share КоэфМП of
-- the linear ones, and the head loss of a section R*L*(1+КоэфМП)/(rho*g) m.
-- The supply pipeline is computed through the user indicators below; the
-- return pipeline has the whole law inside ПотНОтИКонОбр, because user
-- formulas must stay valid in a one-pipe network, where return-pipeline
-- indicators do not exist. Both pipelines are assumed to be the same pipe.

INSERT INTO [ФлыПредопрПок] VALUES ('Расход воды в подающем трубопроводе на участке, т/ч', 'РасхПод', True, True, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Расход воды в обратном трубопроводе на участке, т/ч', 'РасхОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Длина подающего трубопровода на участке, м.', 'ДлНаУчПод', True, True, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Длина обратного трубопровода на участке, м.', 'ДлНаУчОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Геодезическая высота начального узла участка, м.', 'ГеодВысНач', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Геодезическая высота конечного узла участка, м.', 'ГеодВысКон', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Длина подающего трубопровода на начальном узле участка, м.', 'ДлНачПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Длина подающего трубопровода на конечном узле участка, м.', 'ДлКонПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Длина обратного трубопровода на начальном узле участка, м.', 'ДлНачОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Длина обратного трубопровода на конечном узле участка, м.', 'ДлКонОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Температура воды в подающем трубопроводе на начальном узле участка, град. С', 'ТВодыНачПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Температура воды в подающем трубопроводе на конечном узле участка, град. С', 'ТВодыКонПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Температура воды в обратном трубопроводе на начальном узле участка, град. С', 'ТВодыНачОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Температура воды в обратном трубопроводе на конечном узле участка, град. С', 'ТВодыКонОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Потери напора от источника на начальном узле участка под. трубопровода, м.', 'ПотНОтИНачПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Потери напора от источника на конечном узле участка под. трубопровода, м.', 'ПотНОтИКонПод', True, False,
  '<ПотНОтИНачПод>+<ПотНаУчПод>', True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Потери напора от источника на начальном узле участка обр. трубопровода, м.', 'ПотНОтИНачОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Потери напора от источника на конечном узле участка обр. трубопровода, м.', 'ПотНОтИКонОбр', True, False,
  '<ПотНОтИНачОбр>+0,00688*Степень(<ЭквШер>/1000;0,25)*Степень(<РасхОбр>;2)*<ДлНаУчОбр>*(1+<КоэфМП>)/(9,81*Степень(ПлВодыПоТ(Округл((<ТВодыНачОбр>+<ТВодыКонОбр>)/2;0));2)*Степень(<Двн>/1000;5,25))',
  True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Полный напор на начальном узле участка под. трубопровода, м.', 'ПНапНачПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Полный напор на конечном узле участка под. трубопровода, м.', 'ПНапКонПод', True, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Полный напор на начальном узле участка обр. трубопровода, м.', 'ПНапНачОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Полный напор на конечном узле участка обр. трубопровода, м.', 'ПНапКонОбр', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Располагаемый напор на начальном узле участка, м.', 'РНапНач', True, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Располагаемый напор на конечном узле участка, м.', 'РНапКон', True, False, Null, True, False, True);
-- Set by the run: 1 at the end section of every main (a consumer), 0 elsewhere.
INSERT INTO [ФлыПредопрПок] VALUES ('Признак конечного участка (1 - конечный, 0 - прочие)', 'КонУч', True, False, Null, False, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Минимальная геодезическая высота узлов теплосети, м.', 'МинГеодВысТС', False, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Максимальная геодезическая высота узлов теплосети, м.', 'МаксГеодВысТС', False, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Максимальная длина подающего трубопровода от начального до конечного узла теплосети, м.', 'МаксДлПод', False, False, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Максимальная длина обратного трубопровода от начального до конечного узла теплосети, м.', 'МаксДлОбр', False, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Максимальная суммарная длина подающего и обратного трубопроводов от начального до конечного узла теплосети, м.', 'МаксСумДлПодОбр', False, False, Null, True, False, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Минимальная температура воды в теплосети, град. С', 'МинТВоды', False, True, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Максимальная температура воды в теплосети, град. С', 'МаксТВоды', False, True, Null, True, True, True);
-- The captions of these two name their node at run time.
INSERT INTO [ФлыПредопрПок] VALUES ('Полный напор в подающем трубопроводе на заданном узле, м.', 'ПНапНаУзПод', False, True, Null, True, True, True);
INSERT INTO [ФлыПредопрПок] VALUES ('Располагаемый напор на заданном узле, м.', 'РНапНаУз', False, True, Null, True, False, True);

-- User indicators of the standard method, in the order of Nпп. Entered values
-- carry no formula. Numbers in formulas use the decimal comma.
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (1, 'Эквивалентная шероховатость внутренней поверхности трубопроводов, мм.', 'ЭквШер', False, True, Null, True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (2, 'Условный диаметр трубопровода, мм.', 'Ду', True, True, Null, True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (3, 'Доля местных потерь напора от линейных потерь', 'КоэфМП', True, True, Null, True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (4, 'Внутренний диаметр трубопровода, мм.', 'Двн', True, False,
  'ДвнутрПоДу(<Ду>)', True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (5, 'Средняя температура воды в подающем трубопроводе на участке, град. С', 'ТСрПод', True, False,
  'Округл((<ТВодыНачПод>+<ТВодыКонПод>)/2;0)', True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (6, 'Плотность воды в подающем трубопроводе на участке, кг./м3', 'ПлПод', True, False,
  'ПлВодыПоТ(<ТСрПод>)', True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (7, 'Удельные потери давления на трение в подающем трубопроводе, Па/м.', 'УдПотПод', True, False,
  '0,00688*Степень(<ЭквШер>/1000;0,25)*Степень(<РасхПод>;2)/(<ПлПод>*Степень(<Двн>/1000;5,25))', True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (8, 'Потери напора на участке подающего трубопровода, м.', 'ПотНаУчПод', True, False,
  '<УдПотПод>*<ДлНаУчПод>*(1+<КоэфМП>)/(9,81*<ПлПод>)', True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]) VALUES (9, 'Скорость воды в подающем трубопроводе, м./с', 'СкорПод', True, False,
  '<РасхПод>/3,6/<ПлПод>/(3,14159265*Степень(<Двн>/1000;2)/4)', True);

-- Balancing the consumers, appended after the method's own indicators: the
-- required available head is entered at the end sections; the excess head
-- and the diameter of the throttling orifice that takes it up,
-- d = 10*(G^2/dH)^0.25 mm (G in t/h, dH in m), are computed after the heads.
-- No orifice where there is no excess; Макс keeps the unused branch of Если
-- free of a division by zero.
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл], [ПослеНапоров])
  VALUES (10, 'Требуемый располагаемый напор у потребителя, м.', 'ТребРНап', True, True, Null, False, False);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл], [ПослеНапоров])
  VALUES (11, 'Избыточный напор у потребителя, м.', 'ИзбНап', True, False,
  '<РНапКон>-<ТребРНап>', False, True);
INSERT INTO [Формулы] ([Nпп], [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл], [ПослеНапоров])
  VALUES (12, 'Диаметр дроссельной шайбы у потребителя, мм.', 'ДШайбы', True, False,
  'Если(<КонУч>*<ИзбНап>;10*Степень(Степень(<РасхПод>;2)/Макс(<ИзбНап>;0,001);0,25);0)', False, True);
