-- Tables of a calculation file, as the table rebuild lays them out for a
-- two-pipe network (ТипСети 1) with the user indicators of indicators.sql:
-- header indicator ЭквШер; table indicators Ду, КоэфМП, Двн, ТСрПод, ПлПод,
-- УдПотПод, ПотНаУчПод, СкорПод (in the order of Nпп).
-- Statements are separated by ";" and run one by one.

CREATE TABLE [НазвРасч] (
  [НазвРасч] text(255),
  [РасчетВыполнен] bit,
  [ТипСети] integer,
  [РасчРасх] bit,
  [NНачУз] integer,
  [NузПНапПод] smallint,
  [NузРНап] smallint
);

CREATE TABLE [Заг] ([ЭквШер] float, [ПНапНаУзПод] float, [РНапНаУз] float,
  [МинГеодВысТС] float, [МаксГеодВысТС] float, [МаксДлПод] float,
  [МаксДлОбр] float, [МаксСумДлПодОбр] float, [МинТВоды] float, [МаксТВоды] float);

CREATE TABLE [Табл] ([id] integer PRIMARY KEY, [НачУзел] smallint, [КонУзел] smallint,
  [ГеодВысНач] float, [ГеодВысКон] float,
  [РасхПод] float, [РасхОбр] float,
  [ДлНаУчПод] float, [ДлНаУчОбр] float,
  [ДлНачПод] float, [ДлНачОбр] float,
  [ДлКонПод] float, [ДлКонОбр] float,
  [ТВодыНачПод] float, [ТВодыНачОбр] float,
  [ТВодыКонПод] float, [ТВодыКонОбр] float,
  [Ду] float, [КоэфМП] float, [Двн] float, [ТСрПод] float, [ПлПод] float,
  [УдПотПод] float, [ПотНаУчПод] float, [СкорПод] float,
  [ТребРНап] float, [ИзбНап] float, [ДШайбы] float,
  [ПотНОтИНачПод] float, [ПотНОтИНачОбр] float,
  [ПотНОтИКонПод] float, [ПотНОтИКонОбр] float,
  [ПНапНачПод] float, [ПНапНачОбр] float,
  [ПНапКонПод] float, [ПНапКонОбр] float, [РНапНач] float, [РНапКон] float,
  [КонУч] float,
  [Примечание] text(255), [Заполн_Уч] text(1));

-- User indicators, read in the order of Nпп.
CREATE TABLE [Формулы] (
  [Nпп] byte,
  [НаимПок] text(255),
  [НаимПокСокр] text(50) NOT NULL,
  [Табл] bit NOT NULL,
  [ВводПольз] bit NOT NULL,
  [Формула] text(255),
  [ВывВОтчТабл] bit NOT NULL,
  [ПослеНапоров] bit DEFAULT 0
);

-- Predefined indicators; the program never adds or removes rows.
CREATE TABLE [ФлыПредопрПок] (
  [НаимПок] text(255),
  [НаимПокСокр] text(50) NOT NULL PRIMARY KEY,
  [Табл] bit NOT NULL,
  [ВводПольз] bit NOT NULL,
  [Формула] text(255),
  [ВывВОтчТабл] bit NOT NULL,
  [ИспПриРасч1трТС] bit,
  [ИспПриРасч2трТС] bit
);

CREATE TABLE [УзлыТС] ([Nуз] smallint PRIMARY KEY, [ГеодВыс] float);

CREATE TABLE [ИзмПНапВУзлахТС] (
  [Nуз] smallint NOT NULL,
  [ТрПр] bit NOT NULL,
  [ИзмПНап] float NOT NULL,
  PRIMARY KEY ([Nуз], [ТрПр])
);

-- Evaluation order, rewritten by every formula check.
CREATE TABLE [ПриоритетыЗаг] ([Показатель] text(50), [Nприоритета] integer);
CREATE TABLE [ПриоритетыТабл] ([Показатель] text(50), [Nприоритета] integer);

-- Results and working sets of the calculation run.
CREATE TABLE [МагистралиТС] ([id_m] smallint, [NппУчВМ] smallint,
  [НачУзел] smallint, [КонУзел] smallint, [РасхПод] float, [РасхОбр] float);

CREATE TABLE [КонМаг] ([id_m] smallint, [КонУзел] smallint, [ДлМагПод] float,
  [ПотНОтИПод] float, [ПНапПод] float, [ДлМагОбр] float, [ДлМагСум] float,
  [ПотНОтИОбр] float, [ПНапОбр] float, [РНап] float);

CREATE TABLE [СписокРасчУчастков] ([НачУзел] smallint, [КонУзел] smallint);

-- Checks of the computed regime: the person's rules on indicators ("больше" or
-- "меньше" a limit, with the warning shown) and the limits of the built-in head
-- rules (one row; heads in m, each rule with its switch).
CREATE TABLE [ПроверкиРежима] ([Nпп] integer, [Показатель] text(50), [Условие] text(10),
  [Предел] float, [Предупреждение] text(255));
CREATE TABLE [ПределыНапоров] ([МинНапор] float, [ПровМинНапор] bit, [МаксНапор] float, [ПровМаксНапор] bit,
  [ЗапасВскип] float, [ПровВскип] bit, [ТребРНап] float, [ПровТребРНап] bit);
